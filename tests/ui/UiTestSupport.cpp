#include "UiTestSupport.h"

#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "debugger/sim/SimMonitor.h"
#include "ui/CorvaneView.h"
#include "ui/FlashMemoryDlg.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

namespace {

class ScriptedFileDialogs : public CFileDialogs {
public:
    explicit ScriptedFileDialogs(ScopedFileDialogs &script)
        : m_script(script)
    {
    }
protected:
    QString AskOpen(QWidget *, const Request &request, const QString &folder) override { return Answer(request, folder); }
    QString AskSave(QWidget *, const Request &request, const QString &folder) override { return Answer(request, folder); }

private:
    QString Answer(const Request &request, const QString &folder)
    {
        m_script.requests.append(request);
        m_script.folders.append(folder);
        return m_script.answers.isEmpty() ? QString() : m_script.answers.takeFirst();
    }
    ScopedFileDialogs &m_script;
};

void ActOnModal(const std::function<void(QDialog &)> &act, int triesLeft)
{
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
        act(*dialog);
        return;
    }
    if (triesLeft > 0)
        QTimer::singleShot(1, [act, triesLeft] { ActOnModal(act, triesLeft - 1); });
    else
        ADD_FAILURE() << "no modal dialog opened";
}

} // namespace

ScopedFileDialogs::ScopedFileDialogs()
    : m_previous(InstallFileDialogs(std::make_unique<ScriptedFileDialogs>(*this)))
{
}

ScopedFileDialogs::~ScopedFileDialogs()
{
    InstallFileDialogs(std::move(m_previous));
}

int CommandCount(const QString &command)
{
    int count = 0;
    for (const SimExchangeRecord &record : theSimMonitor().Records())
        count += record.command == command;
    return count;
}

void WhenModalOpens(const std::function<void(QDialog &)> &act)
{
    QTimer::singleShot(0, [act] { ActOnModal(act, 1000); });
}

GuiTest::GuiTest()
{
    QSettings().clear();
    QFile::copy(QStringLiteral(CORVANE_SOURCE_DIR "/examples/app.hex"), scratch.Path(QStringLiteral("app.hex")));
    frame = std::make_unique<CMainFrame>(FormTimerPeriods {1, 1, 1, 10});
    frame->show();
}

GuiTest::~GuiTest()
{
    if (frame && frame->Document())
        frame->Document()->SetModifiedFlag(false);
    frame.reset();
}

QString GuiTest::WriteComponent(const QStringList &extra) const
{
    return scratch.WriteComponent(QStringList {QStringLiteral("version = 2.15"), QStringLiteral("flash_base = 0x90000000"),
                                               QStringLiteral("flash_size = 0x40000")} +
                                  extra);
}

QString GuiTest::WriteDocument(const std::function<void(CCorvaneDoc &)> &edit, const QString &name)
{
    CCorvaneDoc document;
    document.OnNewDocument();
    document.m_strConnection = QLatin1String(kBoard64x);
    document.m_strCvtcFile = WriteComponent();
    document.m_strBurnFile = scratch.Path(QStringLiteral("app.hex"));
    if (edit)
        edit(document);
    const QString path = scratch.Path(name);
    EXPECT_TRUE(document.OnSaveDocument(path));
    return path;
}

void GuiTest::OpenReadyDocument(const QString &path)
{
    ASSERT_TRUE(frame->OpenDocument(path));
    ASSERT_TRUE(WaitReady()) << prompter->logsShown.join(u'|').toStdString();
}

bool GuiTest::WaitReady()
{
    return WaitUntil([this] {
        return frame->View() && Model().Facts().downloaded && Model().Facts().idle &&
               !Model().IsTimerActive(CFormModel::kAutoDownloadTimerId);
    });
}

CCorvaneView &GuiTest::View()
{
    return *frame->View();
}

CFormModel &GuiTest::Model()
{
    return View().Model();
}

void GuiTest::Click(int id)
{
    auto *button = Widget<QPushButton>(id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
}

CFlashMemoryDlg *GuiTest::OpenFlashView()
{
    Click(ControlId::ViewFlashButton);
    CFlashMemoryDlg *view = nullptr;
    const bool shown = WaitUntil([&view] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            view = qobject_cast<CFlashMemoryDlg *>(window);
            if (view && view->isVisible() && !view->IsReading() && view->Page().IsValid())
                return true;
        }
        return false;
    });
    return shown ? view : nullptr;
}
