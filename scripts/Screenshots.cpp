// Renders the README's pictures: the main window with a simulated 64x board
// after erasing and programming the example image, the flash memory window and
// the simulator window. Run by scripts/screenshots.sh under Xvfb.
#include "app/CommandLineInfo.h"
#include "app/CorvaneApp.h"
#include "app/DebuggerBackends.h"
#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "ui/CorvaneView.h"
#include "ui/FlashMemoryDlg.h"
#include "ui/MainFrame.h"
#include "ui/SimulatorWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <functional>

namespace {

bool WaitFor(const std::function<bool()> &done)
{
    QDeadlineTimer limit(60000);
    while (!done()) {
        if (limit.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QApplication::processEvents();
    return true;
}

bool Save(QWidget &window, const QString &path)
{
    window.raise();
    QApplication::processEvents();
    const bool saved = window.grab().save(path);
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

CFlashMemoryDlg *FlashView()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *view = qobject_cast<CFlashMemoryDlg *>(window); view && view->isVisible())
            return view;
    }
    return nullptr;
}

} // namespace

// Arguments: the folder with board64x.txt, cvtc64x.sim and app.hex, and the folder for the pictures.
int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    CDebuggerBackends::RegisterAll();
    if (argc != 3) {
        std::fputs("usage: corvane-screenshots EXAMPLES-FOLDER PICTURES-FOLDER\n", stderr);
        return 2;
    }
    const QString examples = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString pictures = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir::setCurrent(examples);

    CCorvaneCommandLineInfo info;
    info.Parse({QStringLiteral("board64x.txt"), QStringLiteral("-t")});
    theApp().ApplyCommandLine(info);
    const QString documentPath = QDir(examples).filePath(QStringLiteral("board64x.cdd"));
    {
        CCorvaneDoc document;
        if (!document.OnNewDocument(theApp().Options().textConfigPath) || !document.OnSaveDocument(documentPath))
            return 1;
    }

    CMainFrame frame;
    frame.move(0, 0);
    frame.show();
    if (!frame.OpenDocument(documentPath))
        return 1;
    CFormModel &form = frame.View()->Model();
    const auto idleAndDownloaded = [&form] { return form.Facts().downloaded && form.Facts().idle; };
    if (!WaitFor(idleAndDownloaded))
        return 1;
    frame.OnCommand(CommandId::EraseFlash);
    if (!WaitFor(idleAndDownloaded))
        return 1;
    frame.OnCommand(CommandId::ProgramFlash);
    if (!WaitFor(idleAndDownloaded))
        return 1;
    bool ok = Save(frame, pictures + QStringLiteral("/main-window.png"));

    frame.OnCommand(CommandId::ViewFlash);
    if (!WaitFor([] { return FlashView() && !FlashView()->IsReading(); }))
        return 1;
    ok = Save(*FlashView(), pictures + QStringLiteral("/flash-memory.png")) && ok;

    frame.OnCommand(CommandId::ShowCodeComposer);
    if (CSimulatorWindow *simulator = frame.View()->SimulatorWindow())
        ok = Save(*simulator, pictures + QStringLiteral("/simulator.png")) && ok;
    FlashView()->hide();
    frame.View()->Doc().SetModifiedFlag(false);
    frame.close();
    return ok ? 0 : 1;
}
