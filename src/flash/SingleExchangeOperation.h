#pragma once

#include "FlashOperation.h"
#include "wire/CommMessage.h"

// An operation of one request and its answer, for the flash view: the request
// is sent whole, the answer read with its data and checked to answer the
// request's command before the subclass takes it.
class CSingleExchangeOperation : public CFlashOperation {
public:
    using CFlashOperation::CFlashOperation;

    void Start() override;
    void OnHalt() override;

protected:
    virtual CommMessage Request() const = 0;
    // Sends the request's header only (the target reads no data).
    virtual bool SendsHeaderOnly() const { return false; }
    virtual void TakeAnswer(const CommMessage &answer) = 0;
};
