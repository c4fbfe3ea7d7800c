-- Makes the manual page from the command-line documentation: the document's
-- title gives way to NAME (from the metadata "summary") and SYNOPSIS, the other
-- headings move up a level, the words of section headings are upper-cased, and
-- tables get columns as wide as their contents.
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

-- Pandoc gives a table column the fraction w of 70 characters (lw(70*w n)); a
-- page takes 63 of them with the gaps. Every column but the last is as wide as
-- its longest cell, and the last one takes the rest, at least NARROWEST.
local CHARACTERS, PAGE, NARROWEST = 70, 63, 20

local function longest_cells(tbl)
  local longest = {}
  local function measure(rows)
    for _, row in ipairs(rows) do
      for i, cell in ipairs(row.cells) do
        longest[i] = math.max(longest[i] or 0, #pandoc.utils.stringify(cell.contents))
      end
    end
  end
  measure(tbl.head.rows)
  for _, body in ipairs(tbl.bodies) do
    measure(body.body)
  end
  return longest
end

function Table(tbl)
  local longest, rest = longest_cells(tbl), PAGE
  for i = 1, #tbl.colspecs - 1 do
    rest = rest - longest[i] - 1
    tbl.colspecs[i] = {tbl.colspecs[i][1], (longest[i] + 1) / CHARACTERS}
  end
  tbl.colspecs[#tbl.colspecs] = {tbl.colspecs[#tbl.colspecs][1], math.max(rest, NARROWEST) / CHARACTERS}
  return tbl
end
