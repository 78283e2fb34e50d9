// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: arbitrary bytes read as a road, alignment and profile at once, then checked,
// staked out with heights, and written as CSV and LandXML. A broken rule aborts, so the fuzzer
// keeps the input.

#include "roadcheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken
        = RoadCheck::checkFuzzed(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!broken.empty()) {
        std::fprintf(stderr, "road_fuzz: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
