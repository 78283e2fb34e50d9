// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: arbitrary bytes through the line reader, both conversions, the word
// reader and the preview. A broken rule aborts, so the fuzzer keeps the input.

#include "gsicheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken
        = GsiCheck::check(std::string_view(reinterpret_cast<const char*>(data), size), false);
    if (!broken.empty()) {
        std::fprintf(stderr, "gsi_fuzz: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
