#include "EditFlashDlg.h"

#include "FlashMemoryDlg.h"
#include "HelpWindow.h"
#include "base/Prompter.h"
#include "config/NumberParsing.h"
#include "form/FlashPage.h"
#include "flash/FlashSession.h"
#include "ui_EditFlashDlg.h"

#include <QEvent>
#include <QShortcut>

CEditFlashDlg::CEditFlashDlg(CFlashMemoryDlg &view, CFlashSession &session, int byteOffset)
    : QDialog(&view)
    , m_ui(std::make_unique<Ui::EditFlashDlg>())
    , m_view(view)
    , m_page(view.Page())
    , m_session(session)
    , m_nByteOffset(byteOffset)
    , m_nUnitBytes(view.Page().UnitBytes())
{
    m_ui->setupUi(this);
    m_ui->offsetEdit->setFont(CFlashMemoryDlg::EditFont());
    m_ui->dataEdit->setFont(CFlashMemoryDlg::EditFont());
    m_ui->offsetEdit->installEventFilter(this);
    m_ui->dataEdit->installEventFilter(this);
    connect(m_ui->offsetSpin, &CUpDownControl::Stepped, this, &CEditFlashDlg::OnStep);
    connect(m_ui->doneButton, &QPushButton::clicked, this, &CEditFlashDlg::OnDone);
    connect(m_ui->helpButton, &QPushButton::clicked, this, [] { ShowHelp(QLatin1String(kHelpTopic)); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [] { ShowHelp(QLatin1String(kHelpTopic)); });
    ShowTexts();
}

CEditFlashDlg::~CEditFlashDlg() = default;

quint32 CEditFlashDlg::UnitValue() const
{
    return m_page.UnitValue(m_nByteOffset, m_nUnitBytes);
}

void CEditFlashDlg::ShowTexts()
{
    m_ui->offsetEdit->setText(QString::asprintf("0x%08X", m_page.UnitAddress(m_nByteOffset)));
    ShowDataText();
}

void CEditFlashDlg::ShowDataText()
{
    m_ui->dataEdit->setText(CFlashPage::UnitValueText(UnitValue(), m_nUnitBytes));
}

bool CEditFlashDlg::CheckAddress()
{
    const quint32 address = ParseUnsigned(m_ui->offsetEdit->text());
    if (!m_page.ContainsAddress(address)) {
        ShowTexts();
        thePrompter().ShowMessage(QString::asprintf("Address out of range.\r\nOnly 0x%X - 0x%X allowed.",
                                                    m_page.PageStart(), m_page.LastAddress()));
        return false;
    }
    const int byteOffset = m_page.UnitOffsetOfAddress(address);
    if (byteOffset != m_nByteOffset) {
        m_nByteOffset = byteOffset;
        ShowDataText();
        m_view.SelectAddress(address);
    }
    return true;
}

bool CEditFlashDlg::DataChanged() const
{
    const QString text = m_ui->dataEdit->text();
    return !text.isEmpty() && ParseUnsigned(text) != UnitValue();
}

CEditFlashDlg::WriteResult CEditFlashDlg::WriteValue()
{
    const quint32 value = ParseUnsigned(m_ui->dataEdit->text());
    const quint32 largest = CFlashPage::MaxUnitValue(m_nUnitBytes);
    if (value > largest) {
        thePrompter().ShowMessage(QString::asprintf("Data out of range.\r\nOnly 0x0 - 0x%X allowed.", largest));
        ShowDataText();
        return WriteResult::Refused;
    }
    m_page.SetUnitValue(m_nByteOffset, m_nUnitBytes, value);
    m_bWriting = true;
    if (!m_session.WriteLocation(m_page.PageStart(), m_page.Bytes(), [this](bool written) { OnWritten(written); }))
        m_bWriting = false;
    m_view.Redraw();
    ShowDataText();
    return m_bWriting ? WriteResult::Sent : WriteResult::Refused;
}

void CEditFlashDlg::OnWritten(bool written)
{
    m_bWriting = false;
    if (!written)
        m_bCloseAfterWrite = false;
    else if (m_bCloseAfterWrite)
        done(kDoneResult);
}

void CEditFlashDlg::OnDone()
{
    if (m_bWriting || !CheckAddress())
        return;
    if (!DataChanged()) {
        done(kDoneResult);
        return;
    }
    if (WriteValue() == WriteResult::Sent)
        m_bCloseAfterWrite = true;
}

void CEditFlashDlg::OnStep(int delta)
{
    if (m_bWriting)
        return;
    if (DataChanged())
        WriteValue();
    const int byteOffset = m_nByteOffset + m_nUnitBytes * delta;
    if (byteOffset >= 0 && byteOffset < CFlashPage::kPageBytes) {
        m_nByteOffset = byteOffset;
        m_view.SelectAddress(m_page.UnitAddress(m_nByteOffset));
    }
    ShowTexts();
}

// Escape closes at once, unless a write is outstanding: then the dialog closes on its answer.
void CEditFlashDlg::reject()
{
    if (m_bWriting) {
        m_bCloseAfterWrite = true;
        return;
    }
    QDialog::reject();
}

bool CEditFlashDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && !m_bWriting) {
        if (watched == m_ui->dataEdit)
            CheckAddress();
        else if (watched == m_ui->offsetEdit && DataChanged())
            WriteValue();
    }
    return QDialog::eventFilter(watched, event);
}
