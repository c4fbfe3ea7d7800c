#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// A packet written straight into its frame ("$", payload, "#", checksum), the
// checksum summed as the payload is written: one pass over the data, into a
// buffer that keeps its room from one packet to the next.
class CGdbFrame {
public:
    CGdbFrame() { Start(); }

    // Empties the frame for the next packet.
    CGdbFrame &Start();
    CGdbFrame &Add(QByteArrayView text);
    CGdbFrame &Add(char c) { return Add(QByteArrayView(&c, 1)); }
    // A number in lower-case hexadecimal digits without leading zeros.
    CGdbFrame &AddNumber(quint32 number);
    // Each byte as two hexadecimal digits.
    CGdbFrame &AddHex(QByteArrayView bytes);
    // Binary data with '#', '$', '}' and '*' escaped.
    CGdbFrame &AddEscaped(QByteArrayView bytes);
    // Ends the frame with "#" and the checksum; nothing may be added after.
    const QByteArray &Finished();

    QByteArrayView Payload() const { return QByteArrayView(m_bytes).sliced(1, m_nPayloadEnd - 1); }
    qsizetype Size() const;

private:
    QByteArray m_bytes;
    qsizetype m_nPayloadEnd = 1;
    quint8 m_sum = 0;
    bool m_bFinished = false;
};
