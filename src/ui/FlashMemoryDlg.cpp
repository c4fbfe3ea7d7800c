#include "FlashMemoryDlg.h"

#include "ControlLookup.h"
#include "EditFlashDlg.h"
#include "FileDialogs.h"
#include "HelpWindow.h"
#include "MemoryOffsetDlg.h"
#include "base/Prompter.h"
#include "config/NumberParsing.h"
#include "debugger/TargetLink.h"
#include "flash/FlashSession.h"
#include "ui_FlashMemoryDlg.h"
#include "DialogControlIds.h"

#include <QFile>
#include <QHeaderView>
#include <QShortcut>
#include <QShowEvent>

namespace {
// Controls that a read disables; Close stays usable.
constexpr int kDisabledWhileReading[] = {
    DialogControlId::PrevButton,       DialogControlId::NextButton, DialogControlId::ChangeOffsetButton,
    DialogControlId::SaveAsTextButton, DialogControlId::RowList,    DialogControlId::ContentsGrid};
// Characters the row list needs: "00000000 | 00000000:".
constexpr int kRowListChars = 22;
// Characters the character list needs: one per byte of a row, and room around them.
constexpr int kCharacterListChars = CFlashPage::kPageBytes / CFlashPage::kRows + 2;
// Room around an item's text in the grid, in pixels.
constexpr int kItemMargin = 10;

// The grid's width that shows every unit of every display width in full.
int GridWidth(const QFontMetrics &metrics)
{
    const struct {
        int columns;
        const char *sample;
    } widths[] = {{16, "00"}, {8, "0000 "}, {4, "00000000 "}};
    int width = 0;
    for (const auto &layout : widths)
        width = std::max(width, layout.columns * (metrics.horizontalAdvance(QLatin1String(layout.sample)) + kItemMargin));
    return width;
}
} // namespace

CFlashMemoryDlg::CFlashMemoryDlg(CFlashSession &session, quint32 flashSizeBytes)
    : m_ui(std::make_unique<Ui::FlashMemoryDlg>())
    , m_session(session)
    , m_page(session.Link().AddressingUnit(), flashSizeBytes)
    , m_focusKeeper(*this)
{
    m_ui->setupUi(this);
    setModal(false);
    const QFont listFont = EditFont();
    QListWidget *rows = RowList();
    QTableWidget *grid = Grid();
    QListWidget *characters = CharacterList();
    for (QAbstractScrollArea *list : std::initializer_list<QAbstractScrollArea *> {rows, grid, characters}) {
        list->setFont(listFont);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    const QFontMetrics metrics(listFont);
    const int rowsHeight = (metrics.height() + 4) * CFlashPage::kRows + 4;
    for (QListWidget *list : {rows, characters}) {
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setUniformItemSizes(true);
    }
    rows->setMinimumSize(metrics.horizontalAdvance(QString(kRowListChars, u'0')), rowsHeight);
    characters->setMinimumSize(metrics.horizontalAdvance(QString(kCharacterListChars, u'0')), rowsHeight);
    grid->setMinimumSize(GridWidth(metrics) + 2 * grid->frameWidth(), rowsHeight);
    grid->setTextElideMode(Qt::ElideNone);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setShowGrid(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setRowCount(CFlashPage::kRows);
    m_ui->updatingLabel->hide();

    connect(m_ui->prevButton, &QPushButton::clicked, this, &CFlashMemoryDlg::OnPrev);
    connect(m_ui->nextButton, &QPushButton::clicked, this, &CFlashMemoryDlg::OnNext);
    connect(m_ui->changeOffsetButton, &QPushButton::clicked, this, &CFlashMemoryDlg::OnChangeOffset);
    connect(m_ui->saveAsTextButton, &QPushButton::clicked, this, &CFlashMemoryDlg::OnSaveAsText);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->helpButton, &QPushButton::clicked, this, [] { ShowHelp(QLatin1String(kHelpTopic)); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [] { ShowHelp(QLatin1String(kHelpTopic)); });
    connect(grid, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { OnGridDoubleClick(CFlashPage::ItemAt(row, column)); });
}

CFlashMemoryDlg::~CFlashMemoryDlg() = default;

QFont CFlashMemoryDlg::EditFont()
{
    QFont font(QStringLiteral("Courier New"), 9);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QWidget *CFlashMemoryDlg::Control(int id) const
{
    return FindControl(*this, id);
}

QListWidget *CFlashMemoryDlg::RowList() const
{
    return m_ui->rowList;
}

QTableWidget *CFlashMemoryDlg::Grid() const
{
    return m_ui->contentsGrid;
}

QListWidget *CFlashMemoryDlg::CharacterList() const
{
    return m_ui->characterList;
}

void CFlashMemoryDlg::ShowView(const QString &title)
{
    setWindowTitle(title);
    show();
    raise();
    activateWindow();
}

void CFlashMemoryDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FitItems();
    if (!event->spontaneous() && m_bReloadWhenShown) {
        m_bReloadWhenShown = false;
        StartRead();
    }
}

void CFlashMemoryDlg::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_bReloadWhenShown = true;
}

void CFlashMemoryDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FitItems();
}

// ---- reading a page: the row addresses translated, then the page's bytes ----

// Reads and writes go through the target component; without it they are refused.
bool CFlashMemoryDlg::RefusesTargetAccess() const
{
    if (m_session.Link().IsLoaded())
        return false;
    thePrompter().ShowMessage(QStringLiteral("The flash memory cannot be read: there is no connection to the target "
                                             "component.\r\nConnect, download the CVTC and choose View Flash again."));
    return true;
}

void CFlashMemoryDlg::StartRead()
{
    if (RefusesTargetAccess())
        return;
    m_page.Invalidate();
    m_bReading = true;
    EnableDuringRead(true);
    const bool started =
        m_session.TranslateAddresses(m_page.RowOffsets(), [this](std::optional<QList<quint32>> rowAddresses) {
            if (rowAddresses)
                ReadPage(*rowAddresses);
            else
                EndRead();
        });
    // The session is busy with an operation of the form: the page can be read again later.
    if (!started)
        EndRead();
}

void CFlashMemoryDlg::EndRead()
{
    m_bReading = false;
    EnableDuringRead(false);
}

void CFlashMemoryDlg::ReadPage(const QList<quint32> &rowAddresses)
{
    m_session.ReadPage(m_page.PageStart(), CFlashPage::kPageBytes, [this, rowAddresses](std::optional<QByteArray> bytes) {
        if (bytes) {
            m_page.Fill(reinterpret_cast<const quint8 *>(bytes->constData()), rowAddresses);
            Redraw();
            m_bReloadWhenShown = false;
        }
        EndRead();
    });
}

void CFlashMemoryDlg::EnableDuringRead(bool reading)
{
    for (int id : kDisabledWhileReading) {
        if (QWidget *control = Control(id))
            m_focusKeeper.SetEnabled(*control, !reading && IsOffered(id));
    }
    m_ui->updatingLabel->setVisible(reading);
}

// Prev and Next are offered where there is a page to go to.
bool CFlashMemoryDlg::IsOffered(int id) const
{
    switch (id) {
    case DialogControlId::PrevButton: return m_page.PageStart() > 0;
    case DialogControlId::NextButton: return m_page.PageStart() < m_page.LastPageStart();
    default: return true;
    }
}

// ---- drawing ----

void CFlashMemoryDlg::Redraw()
{
    QListWidget *rows = RowList();
    QTableWidget *grid = Grid();
    QListWidget *characters = CharacterList();
    rows->clear();
    characters->clear();
    grid->clearContents();
    grid->setColumnCount(m_page.Columns());
    if (m_page.IsValid()) {
        for (int row = 0; row < CFlashPage::kRows; ++row) {
            rows->addItem(m_page.RowText(row));
            characters->addItem(m_page.RowCharacters(row));
        }
        for (int item = 0; item < m_page.ItemCount(); ++item)
            grid->setItem(CFlashPage::ItemRow(item), CFlashPage::ItemColumn(item),
                          new QTableWidgetItem(m_page.ItemText(item)));
    }
    FitItems();
}

// Item heights are the grid's height divided by 16; column widths its width divided by the columns.
void CFlashMemoryDlg::FitItems()
{
    QTableWidget *grid = Grid();
    const int itemHeight = std::max(1, grid->viewport()->height() / CFlashPage::kRows);
    const int columnWidth = std::max(1, grid->viewport()->width() / std::max(1, grid->columnCount()));
    for (int row = 0; row < grid->rowCount(); ++row)
        grid->setRowHeight(row, itemHeight);
    for (int column = 0; column < grid->columnCount(); ++column)
        grid->setColumnWidth(column, columnWidth);
    for (QListWidget *list : {RowList(), CharacterList()}) {
        for (int row = 0; row < list->count(); ++row)
            list->item(row)->setSizeHint(QSize(list->viewport()->width(), itemHeight));
    }
}

void CFlashMemoryDlg::SelectAddress(quint32 address)
{
    const int item = m_page.ItemOfAddress(address);
    if (item >= 0)
        Grid()->setCurrentCell(CFlashPage::ItemRow(item), CFlashPage::ItemColumn(item));
}

// ---- the user's actions ----

void CFlashMemoryDlg::OnNext()
{
    if (RefusesTargetAccess())
        return;
    if (m_page.Next())
        StartRead();
}

void CFlashMemoryDlg::OnPrev()
{
    if (RefusesTargetAccess())
        return;
    if (m_page.Prev())
        StartRead();
}

void CFlashMemoryDlg::OnChangeOffset()
{
    if (RefusesTargetAccess())
        return;
    const QString current = QString::asprintf("0x%lx", static_cast<unsigned long>(m_page.PageStart()));
    CMemoryOffsetDlg offsetDialog(this);
    offsetDialog.SetOffsetText(current);
    offsetDialog.SetDisplayWidth(m_page.OfferedWidth());
    offsetDialog.SetByteChoiceEnabled(m_page.AddressingUnit() != 2);
    while (offsetDialog.exec() == QDialog::Accepted) {
        const quint32 offset = ParseUnsigned(offsetDialog.OffsetText());
        if (m_page.FitsInFlash(offset)) {
            m_page.MoveTo(offset, offsetDialog.DisplayWidth());
            StartRead();
            return;
        }
        thePrompter().ShowMessage(
            QString::asprintf("ERROR: Attempting to access outside the logical bounds of Flash Memory: 0x0 to 0x%lx",
                              static_cast<unsigned long>(m_page.LastPageStart())));
        offsetDialog.SetOffsetText(current);
    }
}

void CFlashMemoryDlg::OnSaveAsText()
{
    const QString path = theFileDialogs().SaveFile(
        this, {QStringLiteral("Save As"), QStringLiteral("Text File (*.txt)|*.txt"), QStringLiteral("txt"),
               QStringLiteral("flashdata")});
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(m_page.PageText().toLatin1());
}

void CFlashMemoryDlg::OnGridDoubleClick(int item)
{
    if (!m_page.IsValid() || RefusesTargetAccess())
        return;
    if (!m_bEditAllowed) {
        thePrompter().ShowMessage(QStringLiteral(
            "The current CVTC does not allow editing individual flash\r\nmemory locations. Check CVTC code for "
            "correct Communications\r\nprotocol and to determine if flash memory hardware allows\r\nediting "
            "operations."));
        return;
    }
    const int byteOffset = m_page.ByteOffsetOfItem(item);
    if (byteOffset < 0)
        return;
    {
        CEditFlashDlg editor(*this, m_session, byteOffset);
        editor.exec();
    }
    StartRead();
}
