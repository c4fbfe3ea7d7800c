#pragma once

#include <QByteArray>

#include <string>

// Properties every input must keep, shared by the fuzzers and the random
// mutation tests. Each returns an empty text when the property holds, else
// what broke.

// A stream the codec refuses changes no field; one it loads writes a stream
// that loads back to the same fields and the same bytes.
std::string CheckContentsDecoding(const QByteArray &contents);
// Whatever a text gives, the fields printed as text read back cleanly to the same fields.
std::string CheckTextConfigReading(const QByteArray &text);
