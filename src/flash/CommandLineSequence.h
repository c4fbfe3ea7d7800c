#pragma once

#include <QString>

class CFormModel;

// The unattended run after the handshake: optional erase, then a flash dump,
// the document's image, or the files named on the command line in order.
class CCommandLineSequence {
public:
    enum class FileKind { HexImage, ConversionCommands, UserFile };

    explicit CCommandLineSequence(CFormModel &form);

    void Step();
    // How a file named on the command line is handled, from its name.
    static FileKind KindOf(const QString &fileName);

private:
    void Erase();
    void ChooseWork();
    void NextFile();
    void Finish();

    CFormModel &m_form;
    int m_nFileIndex = 0;
};
