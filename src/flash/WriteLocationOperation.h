#pragma once

#include "SingleExchangeOperation.h"

#include <QByteArray>

// Writes the flash view's page back after one location of it was changed.
class CWriteLocationOperation : public CSingleExchangeOperation {
public:
    using CSingleExchangeOperation::CSingleExchangeOperation;

    // The page at `start` (target address units) with its changed location.
    void SetPage(quint32 start, const QByteArray &bytes);
    FlashOperationKind Kind() const override { return FlashOperationKind::WriteLocation; }

protected:
    CommMessage Request() const override;
    void TakeAnswer(const CommMessage &) override {}

private:
    quint32 m_nStart = 0;
    QByteArray m_bytes;
};
