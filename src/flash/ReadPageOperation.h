#pragma once

#include "SingleExchangeOperation.h"

#include <QByteArray>

// Reads one page of flash bytes at a flash offset.
class CReadPageOperation : public CSingleExchangeOperation {
public:
    using CSingleExchangeOperation::CSingleExchangeOperation;

    // `start` in target address units.
    void SetPage(quint32 start, int bytes);
    const QByteArray &Bytes() const { return m_bytes; }
    FlashOperationKind Kind() const override { return FlashOperationKind::ReadPage; }

protected:
    CommMessage Request() const override;
    bool SendsHeaderOnly() const override { return true; }
    void TakeAnswer(const CommMessage &answer) override;

private:
    quint32 m_nStart = 0;
    int m_nBytes = 0;
    QByteArray m_bytes;
};
