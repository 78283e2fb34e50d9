// libFuzzer entry: arbitrary bytes through the line reader, both conversions
// and the file-name keeping. A broken rule aborts, so the fuzzer keeps the input.

#include "gsicheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString broken
        = GsiCheck::check(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "gsi_fuzz: %s\n", qPrintable(broken));
        std::abort();
    }
    return 0;
}
