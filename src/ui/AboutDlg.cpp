#include "AboutDlg.h"

#include "app/CorvaneApp.h"
#include "ui_AboutDlg.h"

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::AboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->iconLabel->setPixmap(QIcon(QStringLiteral(":/icons/corvane.svg")).pixmap(32));
    m_ui->versionValue->setText(CCorvaneApp::GetFileVersionString());
    m_ui->protocolValue->setText(QLatin1String(kProtocolVersion));
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
