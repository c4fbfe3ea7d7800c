#include "TranslateAddressesOperation.h"

CommMessage CTranslateAddressesOperation::Request() const
{
    CommMessage request;
    request.SetCommand(CommandCode::TranslateAddresses);
    request.SetParam(0, quint32(m_offsets.size()));
    request.SetAddressList(m_offsets);
    return request;
}

void CTranslateAddressesOperation::TakeAnswer(const CommMessage &answer)
{
    m_addresses = answer.AddressList(int(m_offsets.size()));
}
