#include "HelpWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

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
    if (!isVisible())
        PlaceOnScreen();
    show();
    raise();
    activateWindow();
    return true;
}

// Over the window that asked for help, whose frame's edges this window's
// will have once the window system frames it.
void CHelpWindow::PlaceOnScreen()
{
    const QWidget *asking = QApplication::activeWindow();
    const QScreen *onScreen = asking ? asking->screen() : QGuiApplication::primaryScreen();
    if (!onScreen)
        return;
    const QWindow *askingWindow = asking ? asking->windowHandle() : nullptr;
    const QMargins frame = askingWindow ? askingWindow->frameMargins() : QMargins();
    const QRect available = onScreen->availableGeometry();
    const QRect placed = FrameOnScreen(QSize(kWidth, kHeight), frame, available,
                                       asking ? asking->frameGeometry().center() : available.center());
    resize(placed.size().shrunkBy(frame));
    move(placed.topLeft());
}

QRect CHelpWindow::FrameOnScreen(const QSize &client, const QMargins &frame, const QRect &available,
                                 const QPoint &centre)
{
    QRect placed(QPoint(), client.grownBy(frame).boundedTo(available.size()));
    placed.moveCenter(centre);
    placed.moveLeft(std::clamp(placed.left(), available.left(), available.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), available.top(), available.bottom() + 1 - placed.height()));
    return placed;
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
