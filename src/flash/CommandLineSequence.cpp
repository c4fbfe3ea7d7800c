#include "CommandLineSequence.h"

#include "EraseEstimate.h"
#include "EraseOperation.h"
#include "OperationHost.h"
#include "ProgramOperation.h"
#include "SaveFlashDataOperation.h"
#include "SendUserFileOperation.h"
#include "image/HexConversionRun.h"
#include "wire/CommMessage.h"

CCommandLineSequence::CCommandLineSequence(COperationHost &host, CEraseOperation &erase, CProgramOperation &program,
                                           CSaveFlashDataOperation &saveFlashData,
                                           CSendUserFileOperation &sendUserFile)
    : CFlashOperation(host)
    , m_erase(erase)
    , m_program(program)
    , m_saveFlashData(saveFlashData)
    , m_sendUserFile(sendUserFile)
{
}

CCommandLineSequence::FileKind CCommandLineSequence::KindOf(const QString &fileName)
{
    // Extensions that only images have; .bin and .txt files are user data on the command line.
    static const QLatin1String kImageEndings[] = {
        QLatin1String(".ELF"), QLatin1String(".S19"),  QLatin1String(".S28"), QLatin1String(".S37"), QLatin1String(".SREC"),
        QLatin1String(".MOT"), QLatin1String(".IHEX"), QLatin1String(".IHX"), QLatin1String(".TEK"),
    };
    const QString upper = fileName.toUpper();
    if (upper.contains(QLatin1String(".HEX")) || upper.contains(QLatin1String(".DAT")))
        return FileKind::HexImage;
    for (const QLatin1String ending : kImageEndings)
        if (upper.endsWith(ending))
            return FileKind::HexImage;
    if (upper.contains(QLatin1String(".CMD")))
        return FileKind::ConversionCommands;
    return FileKind::UserFile;
}

void CCommandLineSequence::Start()
{
    m_step = Step::Erase;
    OnHalt();
}

void CCommandLineSequence::OnHalt()
{
    switch (m_step) {
    case Step::Erase: Erase(); break;
    case Step::ChooseWork: ChooseWork(); break;
    case Step::NextFile: NextFile(); break;
    case Step::Finish: m_host.Succeed(); break;
    }
}

void CCommandLineSequence::Erase()
{
    m_step = Step::ChooseWork;
    if (m_job.erase) {
        m_erase.SetWaitWithoutEstimate(CEraseEstimate::kUnknownSeconds);
        m_host.RunChild(m_erase);
    } else {
        m_host.Continue();
    }
}

void CCommandLineSequence::ChooseWork()
{
    if (m_job.saveFlash) {
        m_step = Step::Finish;
        m_saveFlashData.SetRange(m_job.saveFlashStart, m_job.saveFlashLength);
        m_host.RunChild(m_saveFlashData);
    } else if (m_job.furtherFiles.isEmpty()) {
        m_step = Step::Finish;
        Program(m_job.program);
    } else {
        m_nFileIndex = 0;
        m_step = Step::NextFile;
        m_host.Continue();
    }
}

void CCommandLineSequence::NextFile()
{
    if (m_nFileIndex >= m_job.furtherFiles.size()) {
        m_step = Step::Finish;
        m_host.Continue();
        return;
    }
    const QString fileName = m_job.furtherFiles[m_nFileIndex++];
    switch (KindOf(fileName)) {
    case FileKind::HexImage: {
        CProgramJob job = m_job.program;
        job.imagePath = fileName;
        job.hexCommandFile.clear();
        Program(job);
        break;
    }
    case FileKind::ConversionCommands:
        if (const std::optional<CFailure> failure = HexConversionRun(fileName, m_job.program.subfamily))
            m_host.Fail(*failure);
        else
            m_host.Continue();
        break;
    case FileKind::UserFile:
        m_sendUserFile.SetPath(fileName);
        m_host.RunChild(m_sendUserFile);
        break;
    }
}

void CCommandLineSequence::Program(const CProgramJob &job)
{
    m_program.SetJob(job);
    m_host.RunChild(m_program);
}
