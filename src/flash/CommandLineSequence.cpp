#include "CommandLineSequence.h"

#include "form/FormModel.h"
#include "SaveFlashDataOperation.h"
#include "SendUserFileOperation.h"
#include "app/CorvaneApp.h"
#include "base/FailureReporter.h"
#include "base/StatusText.h"
#include "config/CorvaneDoc.h"
#include "image/HexConversionRun.h"
#include "wire/CommMessage.h"
#include "config/ControlIds.h"

CCommandLineSequence::CCommandLineSequence(CFormModel &form)
    : m_form(form)
{
}

CCommandLineSequence::FileKind CCommandLineSequence::KindOf(const QString &fileName)
{
    const QString upper = fileName.toUpper();
    if (upper.contains(QLatin1String(".HEX")) || upper.contains(QLatin1String(".DAT")))
        return FileKind::HexImage;
    if (upper.contains(QLatin1String(".CMD")))
        return FileKind::ConversionCommands;
    return FileKind::UserFile;
}

void CCommandLineSequence::Step()
{
    switch (m_form.State().SubState()) {
    case Step::RunErase: Erase(); break;
    case Step::RunChooseWork: ChooseWork(); break;
    case Step::RunNextFile: NextFile(); break;
    default: Finish(); break;
    }
}

void CCommandLineSequence::Erase()
{
    m_form.State().SetSubState(Step::RunChooseWork);
    if (!theApp().EraseRequested()) {
        m_form.SelfNotify();
        return;
    }
    theStatusText().SetStatusText(QStringLiteral("Erasing Flash Memory"));
    CommMessage request;
    request.SetCommand(CommandCode::EraseFlash);
    m_form.SendHeader(request, m_form.EraseEstimate());
}

void CCommandLineSequence::ChooseWork()
{
    const CCorvaneApp &app = theApp();
    if (app.SaveFlashRequested()) {
        m_form.State().SetSubState(Step::RunFinish);
        m_form.SaveFlashData().Start(app.SaveFlashStart(), app.SaveFlashLength());
    } else if (app.FurtherFileCount() <= 0) {
        m_form.State().SetSubState(Step::RunFinish);
        m_form.StartProgramming();
    } else {
        m_nFileIndex = 0;
        m_form.State().SetSubState(Step::RunNextFile);
        m_form.SelfNotify();
    }
}

void CCommandLineSequence::NextFile()
{
    const CCorvaneApp &app = theApp();
    if (m_nFileIndex >= app.FurtherFileCount()) {
        m_form.State().SetSubState(Step::RunFinish);
        m_form.SelfNotify();
        return;
    }
    m_form.SetEditText(ControlId::HexCmdEdit, QString());
    const QString fileName = app.FurtherFile(m_nFileIndex++);
    switch (KindOf(fileName)) {
    case FileKind::HexImage:
        m_form.SetEditText(ControlId::BurnFileEdit, fileName);
        m_form.StartProgramming();
        break;
    case FileKind::ConversionCommands:
        if (const std::optional<CFailure> failure = HexConversionRun(fileName, m_form.Doc().m_nSubfamily))
            theReporter().Report(*failure);
        else
            m_form.SelfNotify();
        break;
    case FileKind::UserFile:
        m_form.State().Push();
        m_form.State().Set(Op::SendUserFile, Step::SendFirstChunk);
        m_form.SendUserFile().SetPath(fileName);
        m_form.SelfNotify();
        break;
    }
}

void CCommandLineSequence::Finish()
{
    if (m_form.State().SubState() == Step::RunFinish)
        theApp().MarkRunCompleted();
    m_form.State().SetIdle();
    m_form.RequestClose();
}
