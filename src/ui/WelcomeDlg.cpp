#include "WelcomeDlg.h"

#include "HelpWindow.h"
#include "config/ControlIds.h"
#include "ui_WelcomeDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QShortcut>

namespace {
constexpr int kPictureSize = 32;
} // namespace

CWelcomeDlg::CWelcomeDlg(const QStringList &recentPaths, PostCommand postCommand, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_ui(std::make_unique<Ui::WelcomeDlg>())
    , m_postCommand(std::move(postCommand))
{
    m_ui->setupUi(this);
    m_ui->recentPicture->setPixmap(QIcon(QStringLiteral(":/icons/recent.svg")).pixmap(kPictureSize));
    m_ui->existingPicture->setPixmap(QIcon(QStringLiteral(":/icons/open.svg")).pixmap(kPictureSize));
    m_ui->newPicture->setPixmap(QIcon(QStringLiteral(":/icons/new.svg")).pixmap(kPictureSize));
    for (const QString &path : recentPaths) {
        if (path.isEmpty())
            continue;
        const QFileInfo file(path);
        auto *item = new QListWidgetItem(
            QStringLiteral("%1  (%2)").arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath())),
            m_ui->recentList);
        item->setToolTip(QDir::toNativeSeparators(file.absoluteFilePath()));
    }
    const bool hasRecent = m_ui->recentList->count() > 0;
    m_ui->recentRadio->setEnabled(hasRecent);
    if (hasRecent) {
        m_ui->recentList->setCurrentRow(0);
        m_ui->recentRadio->setChecked(true);
    } else {
        m_ui->existingRadio->setChecked(true);
    }
    connect(m_ui->recentList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        m_ui->recentRadio->setChecked(true);
        m_ui->recentList->setCurrentItem(item);
        accept();
    });
    for (QRadioButton *choice : {m_ui->recentRadio, m_ui->existingRadio, m_ui->newRadio})
        connect(choice, &QRadioButton::clicked, this, &CWelcomeDlg::OnChoice);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, [] { ShowHelpContents(); });
    // Modal to the main window only, so that the help it opens can be used while it is open.
    setWindowModality(Qt::WindowModal);
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
