// Feeds arbitrary bytes to one of the configuration properties; the build
// names it in CORVANE_FUZZ_PROPERTY.
#include "ConfigProperties.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const std::string broken =
        CORVANE_FUZZ_PROPERTY(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
