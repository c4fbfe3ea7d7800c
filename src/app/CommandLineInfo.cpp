#include "CommandLineInfo.h"

#include <utility>

bool CCorvaneCommandLineInfo::IsSwitch(const QString &argument)
{
    if (argument.startsWith(u'-'))
        return true;
    if (!argument.startsWith(u'/'))
        return false;
    const QStringView rest = QStringView(argument).mid(1);
    return !rest.contains(u'/') && !rest.contains(u'.');
}

void CCorvaneCommandLineInfo::Parse(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (QString *owed = std::exchange(m_pOwedOptionValue, nullptr); owed && !IsSwitch(argument))
            *owed = argument;
        else if (m_bGenerate)
            m_values.append(argument);
        else if (argument.startsWith(QLatin1String("--")) && argument.size() > 2)
            ParseLongOption(argument);
        else if (IsSwitch(argument))
            ParseSwitch(argument);
        else
            ParseValue(argument);
    }
}

void CCorvaneCommandLineInfo::ParseLongOption(const QString &argument)
{
    if (argument == QLatin1String("--help"))
        m_bHelp = true;
    else if (argument == QLatin1String("--version"))
        m_bVersion = true;
    else if (argument == QLatin1String("--connections"))
        m_bConnections = true;
    else if (argument == QLatin1String("--print-config"))
        m_bPrintConfig = true;
    else if (argument == QLatin1String("--save-as"))
        m_bSaveAs = OweValue(m_strSaveAsPath);
    else if (argument == QLatin1String("--timeout"))
        m_bTimeout = OweValue(m_strTimeout);
    else if (argument == QLatin1String("--changed-only"))
        m_bChangedOnly = true;
    else if (argument == QLatin1String("--report"))
        m_bReport = OweValue(m_strReportPath);
    else
        ParseSwitch(argument);
}

bool CCorvaneCommandLineInfo::OweValue(QString &value)
{
    m_pOwedOptionValue = &value;
    return true;
}

void CCorvaneCommandLineInfo::ParseSwitch(const QString &argument)
{
    if (argument.size() < 2)
        return;
    switch (argument[1].toLower().unicode()) {
    case 'c':
    case 'q': m_bBatch = true; break;
    case 'e': m_bErase = true; break;
    case 't': m_bTextConfig = true; break;
    case 'g': m_bGenerate = true; break;
    case 'v': m_bVerbose = true; break;
    case 'r':
        m_bSaveFlash = true;
        m_nSaveFlashOwed = 2;
        break;
    case 'o': m_bLogPath = true; break;
    default: break;
    }
}

void CCorvaneCommandLineInfo::ParseValue(const QString &argument)
{
    if (m_strFileName.isEmpty() && m_nShellCommand == ShellCommand::FileNew) {
        m_strFileName = argument;
        m_nShellCommand = ShellCommand::FileOpen;
    }
    if (m_nSaveFlashOwed > 0) {
        (m_nSaveFlashOwed == 2 ? m_strSaveFlashStart : m_strSaveFlashLength) = argument;
        --m_nSaveFlashOwed;
    } else if (m_bLogPath) {
        m_strLogPath = argument;
    } else {
        m_values.append(argument);
    }
}
