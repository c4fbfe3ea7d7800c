#pragma once

#include "ImageBlockSource.h"

// A raw binary file: its bytes from address 0 on.
class CBinarySource : public CImageBlockSource {
public:
    using CImageBlockSource::CImageBlockSource;

protected:
    int ReadNext(quint32 &address, quint8 *buffer, int capacity) override;
};
