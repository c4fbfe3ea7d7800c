#include "SimulatedBoard.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <random>

namespace {
QString SimulatorConnection(const QString &subfamily)
{
    return QStringLiteral("Simulator %1 (CPU)").arg(subfamily);
}

QByteArray ConfigText(const QString &connection, const QString &component, const QString &burnFile,
                      const QStringList &extraLines)
{
    const QStringList lines{QStringLiteral("1064 %1").arg(connection), QStringLiteral("1023 %1").arg(component),
                            QStringLiteral("1019 %1").arg(burnFile)};
    return (lines + extraLines).join(u'\n').toUtf8() + '\n';
}
} // namespace

SimulatedBoard::SimulatedBoard(const QString &subfamily)
    : m_strConnection(SimulatorConnection(subfamily))
{
}

QByteArray SimulatedBoard::FlashOf(const QString &subfamily) const
{
    return ReadFile(QStringLiteral("sim/%1.flash").arg(SimulatorConnection(subfamily)));
}

SimulatedBoard::SimulatedBoard(OnQemu)
    : m_strConnection(QStringLiteral("QEMU versatilepb (ARM926)"))
    , m_strComponent(QStringLiteral("component.elf"))
    , m_pQemu(std::make_unique<QemuGdbServer>())
{
    QFile::copy(QStringLiteral(CORVANE_CVTC_ARM926_ELF), Path(m_strComponent));
    WriteQemuSetup();
}

SimulatedBoard::SimulatedBoard(const OnCcs &ccs)
    : m_strConnection(QStringLiteral("Fake CCS (CPU)"))
    , m_strComponent(QStringLiteral("component.ccs"))
    , m_bCcs(true)
{
    // The core names of the fake target configuration, by sub-family.
    static const QMap<QString, QString> cores = {{QStringLiteral("28x"), QStringLiteral("C28xx_CPU1")},
                                                 {QStringLiteral("55x"), QStringLiteral("C55xx")},
                                                 {QStringLiteral("64x"), QStringLiteral("TMS320C6416")},
                                                 {QStringLiteral("ARM9"), QStringLiteral("ARM926_0")}};
    const QString core = cores.value(ccs.subfamily);
    WriteFile(QStringLiteral("board.ccxml"),
              QStringLiteral("# fake target configuration\nTexas Instruments XDS110 USB Debug Probe_0/%1 %2\n")
                  .arg(core, ccs.subfamily)
                  .toUtf8());
    const QStringList setup = QStringList {QStringLiteral("[board Fake CCS]"), QStringLiteral("[processor CPU]"),
                                           QStringLiteral("kind = ccs"),
                                           QStringLiteral("ccs_root = ") + (ccs.root.isEmpty() ? QStringLiteral(CORVANE_SOURCE_DIR "/tests/ccs/fake-ccs") : ccs.root),
                                           QStringLiteral("ccxml = board.ccxml"), QStringLiteral("core = ") + core,
                                           QStringLiteral("api = ") + ccs.api, QStringLiteral("python = python3")}
        + ccs.lines;
    WriteFile(QStringLiteral("setup.ini"), setup.join(u'\n').toUtf8() + '\n');
    QDir().mkpath(Path(QStringLiteral("ccs")));
}

void SimulatedBoard::WriteQemuSetup() const
{
    WriteFile(QStringLiteral("setup.ini"),
              ("[board QEMU versatilepb]\n[processor ARM926]\n" + m_pQemu->SetupLines()).toUtf8());
}

void SimulatedBoard::WriteFile(const QString &name, const QByteArray &content) const
{
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
    file.write(content);
}

QByteArray SimulatedBoard::ReadFile(const QString &name) const
{
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SimulatedBoard::WriteProgram(const QString &name, const QByteArray &script) const
{
    QDir().mkpath(Path(QStringLiteral("bin")));
    WriteFile(QStringLiteral("bin/") + name, script);
    QFile::setPermissions(Path(QStringLiteral("bin/") + name), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return QStringLiteral("PATH=%1:%2").arg(Path(QStringLiteral("bin")), qEnvironmentVariable("PATH"));
}

void SimulatedBoard::WriteComponent(const QStringList &lines) const
{
    if (m_bCcs) {
        const QStringList header = {QStringLiteral("# corvane fake ccs program"), QStringLiteral("theMessage = 0x8000"),
                                    QStringLiteral("doMessageProc = 0x3000")};
        WriteFile(m_strComponent, (header + lines).join(u'\n').toUtf8() + '\n');
        return;
    }
    WriteFile(QStringLiteral("component.sim"),
              (QStringList{QStringLiteral("# corvane simulated target component")} + lines).join(u'\n').toUtf8() + '\n');
}

void SimulatedBoard::WriteConfig(const QString &burnFile, const QStringList &extraLines) const
{
    WriteFile(QStringLiteral("board.txt"), ConfigText(m_strConnection, m_strComponent, burnFile, extraLines));
}

void SimulatedBoard::WriteConfigFor(const QString &name, const QString &subfamily, const QString &component,
                                    const QString &burnFile) const
{
    WriteFile(name, ConfigText(SimulatorConnection(subfamily), component, burnFile, {}));
}

void SimulatedBoard::WriteSmallBoard(quint32 flashBytes, const QByteArray &image) const
{
    WriteComponent({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x%1").arg(flashBytes, 0, 16)});
    WriteConfig(QStringLiteral("a.hex"));
    WriteSRecords(QStringLiteral("a.hex"), {{0, image}}, 2, 1);
}

void SimulatedBoard::WriteSRecords(const QString &name, const QList<Piece> &pieces, int addressBytes, int unit) const
{
    WriteWithSrecCat(name, pieces, unit,
                     {QStringLiteral("-motorola"), QString::number(unit),
                      QStringLiteral("-address-length=%1").arg(addressBytes)});
}

void SimulatedBoard::WriteWithSrecCat(const QString &name, const QList<Piece> &pieces, int unit,
                                      const QStringList &output) const
{
    QStringList arguments;
    for (int i = 0; i < pieces.size(); ++i) {
        const QString piece = QStringLiteral("%1.piece%2").arg(name).arg(i);
        WriteFile(piece, pieces[i].data);
        arguments << Path(piece) << QStringLiteral("-binary") << QStringLiteral("-offset")
                  << QString::number(quint64(pieces[i].unitAddress) * quint64(unit));
    }
    arguments << QStringLiteral("-o") << Path(name) << output;
    RunTool(QStringLiteral("srec_cat"), arguments);
}

void SimulatedBoard::RunTool(const QString &program, const QStringList &arguments) const
{
    QProcess tool;
    tool.setWorkingDirectory(m_dir.path());
    tool.start(program, arguments);
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << program.toStdString() << ": " << tool.readAllStandardError().constData();
}

void SimulatedBoard::WriteImage(const QString &name, const QList<Piece> &pieces, ImageForm form) const
{
    switch (form) {
    case ImageForm::SRecords: return WriteSRecords(name, pieces, 4, 1);
    case ImageForm::TiHex: return WriteTiHex(name, pieces);
    case ImageForm::Intel: return WriteWithSrecCat(name, pieces, 1, {QStringLiteral("-intel")});
    case ImageForm::Tektronix: return WriteWithSrecCat(name, pieces, 1, {QStringLiteral("-tektronix")});
    case ImageForm::TektronixExtended: return WriteWithSrecCat(name, pieces, 1, {QStringLiteral("-tektronix-extended")});
    case ImageForm::TiTagged: return WriteWithSrecCat(name, pieces, 1, {QStringLiteral("-ti-tagged")});
    case ImageForm::TiTxt: return WriteWithSrecCat(name, pieces, 1, {QStringLiteral("-ti-txt")});
    case ImageForm::Elf: return WriteElf(name, pieces);
    case ImageForm::Binary: {
        QByteArray bytes;
        for (const Piece &piece : pieces) {
            bytes.resize(qsizetype(piece.unitAddress - pieces.first().unitAddress), char(0xFF));
            bytes += piece.data;
        }
        return WriteFile(name, bytes);
    }
    }
}

// One section and segment per piece at its address, linked by the ARM cross compiler.
void SimulatedBoard::WriteElf(const QString &name, const QList<Piece> &pieces) const
{
    QByteArray source;
    QByteArray headers = "PHDRS {\n";
    QByteArray sections = "SECTIONS {\n";
    for (int i = 0; i < pieces.size(); ++i) {
        const QByteArray piece = QStringLiteral("%1.piece%2").arg(name).arg(i).toUtf8();
        const QByteArray number = QByteArray::number(i);
        WriteFile(QString::fromUtf8(piece), pieces[i].data);
        source += "  .section .piece" + number + ",\"a\"\n  .incbin \"" + piece + "\"\n";
        headers += "  p" + number + " PT_LOAD;\n";
        sections += "  .piece" + number + " 0x" + QByteArray::number(pieces[i].unitAddress, 16) + " : { *(.piece" + number
            + ") } :p" + number + "\n";
    }
    WriteFile(name + QStringLiteral(".S"), source);
    WriteFile(name + QStringLiteral(".ld"), headers + "}\n" + sections + "}\n");
    RunTool(QStringLiteral("arm-none-eabi-gcc"),
            {QStringLiteral("-nostdlib"), QStringLiteral("-Wl,-e,0"), QStringLiteral("-T"), name + QStringLiteral(".ld"),
             QStringLiteral("-o"), name, name + QStringLiteral(".S")});
}

void SimulatedBoard::WriteTiHex(const QString &name, const QList<Piece> &pieces) const
{
    QByteArray text = "\x02\r\n";
    for (const Piece &piece : pieces) {
        text += QStringLiteral("$A%1,\r\n").arg(piece.unitAddress, 0, 16).toLatin1();
        for (int i = 0; i < piece.data.size(); ++i) {
            text += QByteArray::number(quint8(piece.data[i]), 16).rightJustified(2, '0').toUpper();
            text += (i % 16 == 15) ? "\r\n" : " ";
        }
        text += "\r\n";
    }
    text += "\x03";
    WriteFile(name, text);
}

void SimulatedBoard::WriteCcsData(const QString &name, const QList<quint32> &words, int wordBytes) const
{
    QByteArray text = "1651 1 0 1 " + QByteArray::number(words.size(), 16) + "\r\n";
    for (quint32 word : words)
        text += "0x" + QByteArray::number(word, 16).rightJustified(wordBytes * 2, '0') + "\r\n";
    WriteFile(name, text);
}

QProcessEnvironment SimulatedBoard::Environment(const QStringList &extraEnvironment) const
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("CORVANE_SIM_DIR"), Path(QStringLiteral("sim")));
    environment.insert(QStringLiteral("CORVANE_SIM_INSTANT"), QStringLiteral("1"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
    if (m_pQemu || m_bCcs)
        environment.insert(QStringLiteral("CORVANE_SETUP"), Path(QStringLiteral("setup.ini")));
    if (m_bCcs)
        environment.insert(QStringLiteral("CORVANE_FAKE_CCS_STATE"), Path(QStringLiteral("ccs")));
    for (const QString &assignment : extraEnvironment)
        environment.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    return environment;
}

CorvaneResult SimulatedBoard::Run(const QStringList &arguments, const QStringList &extraEnvironment,
                                  const ChildSetUp &inChild) const
{
    return RunCorvane(m_dir.path(), arguments, Environment(extraEnvironment), inChild);
}

void SimulatedBoard::Start(QProcess &process, const QStringList &arguments, const QStringList &extraEnvironment,
                           const ChildSetUp &inChild) const
{
    StartCorvane(process, m_dir.path(), arguments, Environment(extraEnvironment), inChild);
}

CorvaneResult SimulatedBoard::RunWithBytes(const QList<QByteArray> &arguments) const
{
    return RunCorvaneWithBytes(m_dir.path(), arguments, Environment({}));
}

CorvaneResult SimulatedBoard::RunConfig(const QStringList &arguments) const
{
    return Run(QStringList{QStringLiteral("board.txt"), QStringLiteral("-t"), QStringLiteral("-c")} + arguments);
}

QByteArray SimulatedBoard::Flash() const
{
    if (m_pQemu) {
        QFile file(m_pQemu->FlashFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    if (m_bCcs)
        return ReadFile(QStringLiteral("ccs/flash.bin"));
    return ReadFile(QStringLiteral("sim/%1.flash").arg(m_strConnection));
}

QByteArray SimulatedBoard::UserData() const
{
    return ReadFile(QStringLiteral("sim/%1.userdata").arg(m_strConnection));
}

QByteArray SimulatedBoard::DumpedBytes(quint32 *firstOffset, QList<quint32> *lineOffsets) const
{
    QByteArray bytes;
    const QList<QByteArray> lines = ReadFile(QStringLiteral("FlashData.txt")).split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        EXPECT_TRUE(line.endsWith("\r")) << line.constData();
        const int colon = int(line.indexOf(": "));
        const quint32 offset = line.left(colon).toUInt(nullptr, 16);
        if (firstOffset && bytes.isEmpty())
            *firstOffset = offset;
        if (lineOffsets)
            lineOffsets->append(offset);
        for (const QByteArray &byte : line.mid(colon + 2).trimmed().split(' '))
            bytes.append(char(byte.toUInt(nullptr, 16)));
    }
    return bytes;
}

QByteArray SimulatedBoard::RandomBytes(int count, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(count, '\0');
    for (char &byte : bytes)
        byte = char(random());
    return bytes;
}
