#pragma once

#include <QString>
#include <QtGlobal>

// The stored fields of a configuration document in their stored order, with
// the values a freshly constructed document holds.
struct CDocumentFields {
    static constexpr quint16 kCurrentSchema = 4;

    quint16 m_wSchema = kCurrentSchema;
    QString m_strHexCmdFile;
    qint32 m_nSubfamily = 0;
    quint32 m_nFlashBase = 0;
    quint32 m_nFlashSize = 0;
    QString m_strBurnFile;
    quint32 m_nImageOffset = 0;
    QString m_strCvtcFile;
    quint16 m_bVerifyWrite = 1;
    quint16 m_bWriteBootAddr = 1;
    qint32 m_nConnSelHigh = 1;
    QString m_strConnection;
    qint32 m_nConnSelLow = 0;
    qint32 m_nFamily = 0;
    qint32 m_bOverrideFlash = 0;

    // The values of a new document.
    static CDocumentFields NewDocument()
    {
        CDocumentFields fields;
        fields.m_strConnection = QStringLiteral("Disconnected");
        return fields;
    }

    bool operator==(const CDocumentFields &) const = default;
};
