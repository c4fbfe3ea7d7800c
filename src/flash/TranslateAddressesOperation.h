#pragma once

#include "SingleExchangeOperation.h"

#include <QList>

// Asks the target component for the physical addresses of flash offsets.
class CTranslateAddressesOperation : public CSingleExchangeOperation {
public:
    using CSingleExchangeOperation::CSingleExchangeOperation;

    void SetOffsets(const QList<quint32> &offsets) { m_offsets = offsets; }
    const QList<quint32> &Addresses() const { return m_addresses; }
    FlashOperationKind Kind() const override { return FlashOperationKind::TranslateAddresses; }

protected:
    CommMessage Request() const override;
    void TakeAnswer(const CommMessage &answer) override;

private:
    QList<quint32> m_offsets;
    QList<quint32> m_addresses;
};
