#pragma once

#include "CommandLineJob.h"
#include "FlashOperation.h"

#include <QString>

class CEraseOperation;
class CProgramOperation;
class CSaveFlashDataOperation;
class CSendUserFileOperation;

// The unattended run after the handshake: optional erase, then a flash dump, the
// document's image, or the files named on the command line in order.
class CCommandLineSequence : public CFlashOperation {
public:
    enum class Step { Erase, ChooseWork, NextFile, Finish };
    enum class FileKind { HexImage, ConversionCommands, UserFile };

    CCommandLineSequence(COperationHost &host, CEraseOperation &erase, CProgramOperation &program,
                         CSaveFlashDataOperation &saveFlashData, CSendUserFileOperation &sendUserFile);

    void SetJob(const CCommandLineJob &job) { m_job = job; }
    FlashOperationKind Kind() const override { return FlashOperationKind::CommandLineRun; }
    void Start() override;
    void OnHalt() override;
    void OnChildSucceeded() override { OnHalt(); }
    // How a file named on the command line is handled, from its name.
    static FileKind KindOf(const QString &fileName);

private:
    void Erase();
    void ChooseWork();
    void NextFile();
    void Program(const CProgramJob &job);

    CEraseOperation &m_erase;
    CProgramOperation &m_program;
    CSaveFlashDataOperation &m_saveFlashData;
    CSendUserFileOperation &m_sendUserFile;
    CCommandLineJob m_job;
    Step m_step = Step::Erase;
    int m_nFileIndex = 0;
};
