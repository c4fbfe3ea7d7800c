#include "WelcomeDlg.h"

#include "HelpWindow.h"
#include "config/ControlIds.h"
#include "ui_WelcomeDlg.h"

#include <QShortcut>

namespace {
constexpr int kPictureSize = 32;
} // namespace

CWelcomeDlg::CWelcomeDlg(const QStringList &recentNames, PostCommand postCommand, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_ui(std::make_unique<Ui::WelcomeDlg>())
    , m_postCommand(std::move(postCommand))
{
    m_ui->setupUi(this);
    m_ui->recentPicture->setPixmap(QIcon(QStringLiteral(":/icons/recent.svg")).pixmap(kPictureSize));
    m_ui->existingPicture->setPixmap(QIcon(QStringLiteral(":/icons/open.svg")).pixmap(kPictureSize));
    m_ui->newPicture->setPixmap(QIcon(QStringLiteral(":/icons/new.svg")).pixmap(kPictureSize));
    for (const QString &name : recentNames) {
        if (!name.isEmpty())
            m_ui->recentList->addItem(name);
    }
    if (m_ui->recentList->count() > 0) {
        m_ui->recentList->setCurrentRow(0);
        m_ui->recentRadio->setChecked(true);
    } else {
        m_ui->existingRadio->setChecked(true);
    }
    for (QRadioButton *choice : {m_ui->recentRadio, m_ui->existingRadio, m_ui->newRadio})
        connect(choice, &QRadioButton::clicked, this, &CWelcomeDlg::OnChoice);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, [] { ShowHelpContents(); });
    if (mainWindow) {
        adjustSize();
        move(mainWindow->geometry().center() - rect().center());
    }
}

CWelcomeDlg::~CWelcomeDlg() = default;

void CWelcomeDlg::OnChoice()
{
    if (m_ui->recentRadio->isChecked())
        m_ui->recentList->setCurrentRow(0);
    else
        m_ui->recentList->setCurrentRow(-1);
}

void CWelcomeDlg::accept()
{
    if (m_ui->recentRadio->isChecked()) {
        const int row = m_ui->recentList->currentRow();
        if (row >= 0)
            m_postCommand(MenuCommand::FileMruFirst + row);
    } else if (m_ui->existingRadio->isChecked()) {
        m_postCommand(MenuCommand::FileOpen);
    } else if (m_ui->newRadio->isChecked()) {
        m_postCommand(MenuCommand::FileNew);
    }
    QDialog::accept();
}
