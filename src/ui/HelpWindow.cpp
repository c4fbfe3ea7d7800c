#include "HelpWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const char kTopicFolder[] = ":/help/";
} // namespace

CHelpWindow::CHelpWindow()
    : m_browser(new QTextBrowser(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Corvane Help"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/corvane.svg")));
    m_browser->setSearchPaths({QLatin1String(kTopicFolder)});
    m_browser->setOpenExternalLinks(true);

    auto *contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto *back = new QPushButton(QStringLiteral("&Back"), this);
    auto *forward = new QPushButton(QStringLiteral("&Forward"), this);
    connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(QLatin1String(kContentsTopic)); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(640, 520);
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

CHelpWindow &CHelpWindow::Instance()
{
    static QPointer<CHelpWindow> window;
    if (!window)
        window = new CHelpWindow;
    return *window;
}

bool CHelpWindow::ShowTopic(const QString &topic)
{
    if (!QFileInfo::exists(QLatin1String(kTopicFolder) + topic))
        return false;
    m_browser->setSource(QUrl(topic));
    show();
    raise();
    activateWindow();
    return true;
}

QString CHelpWindow::CurrentTopic() const
{
    return m_browser->source().fileName();
}

bool ShowHelp(const QString &topic)
{
    return CHelpWindow::Instance().ShowTopic(topic);
}

bool ShowHelpContents()
{
    return ShowHelp(QLatin1String(CHelpWindow::kContentsTopic));
}
