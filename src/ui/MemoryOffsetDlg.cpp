#include "MemoryOffsetDlg.h"

#include "HelpWindow.h"
#include "ui_MemoryOffsetDlg.h"

#include <QShortcut>

CMemoryOffsetDlg::CMemoryOffsetDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::MemoryOffsetDlg>())
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->helpButton, &QPushButton::clicked, this, [] { ShowHelp(QLatin1String(kHelpTopic)); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [] { ShowHelp(QLatin1String(kHelpTopic)); });
}

CMemoryOffsetDlg::~CMemoryOffsetDlg() = default;

// Each opening shows the current values; a width outside 0 to 2 checks no choice.
void CMemoryOffsetDlg::showEvent(QShowEvent *event)
{
    QRadioButton *choices[] = {m_ui->byteRadio, m_ui->wordRadio, m_ui->doublewordRadio};
    for (QRadioButton *choice : choices)
        choice->setAutoExclusive(false);
    for (int width = 0; width < 3; ++width)
        choices[width]->setChecked(width == m_nWidth);
    for (QRadioButton *choice : choices)
        choice->setAutoExclusive(true);
    m_ui->byteRadio->setEnabled(m_bByteEnabled);
    m_ui->offsetEdit->setText(m_strOffset);
    QDialog::showEvent(event);
}

void CMemoryOffsetDlg::accept()
{
    const QRadioButton *choices[] = {m_ui->byteRadio, m_ui->wordRadio, m_ui->doublewordRadio};
    for (int width = 0; width < 3; ++width) {
        if (choices[width]->isChecked())
            m_nWidth = width;
    }
    m_strOffset = m_ui->offsetEdit->text();
    QDialog::accept();
}
