-- Makes the manual page from the command-line documentation: the document's
-- title gives way to NAME (from the metadata "summary") and SYNOPSIS, the other
-- headings move up a level, and the words of section headings are upper-cased.
local function upper_words(header)
  return pandoc.walk_block(header, {Str = function(word) return pandoc.Str(pandoc.text.upper(word.text)) end})
end

function Pandoc(doc)
  local blocks = pandoc.List{
    pandoc.Header(1, "NAME"),
    pandoc.Para{pandoc.Str("corvane - " .. pandoc.utils.stringify(doc.meta.summary))},
    pandoc.Header(1, "SYNOPSIS"),
  }
  for _, block in ipairs(doc.blocks) do
    if block.t ~= "Header" then
      blocks:insert(block)
    elseif block.level > 1 then
      block.level = block.level - 1
      blocks:insert(block.level == 1 and upper_words(block) or block)
    end
  end
  return pandoc.Pandoc(blocks, doc.meta)
end
