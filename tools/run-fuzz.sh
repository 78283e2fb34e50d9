#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each fuzz target for a bounded time on the seed corpus and what earlier
# runs found: gsi_fuzz (line reader, conversions, preview) and road_fuzz (the road's
# check, stations, CSV and LandXML). A crashing input is left in BUILD/crashes; copy it
# into fuzz/regressions/ so that the ordinary suite runs it from then on.
# Usage: run-fuzz.sh BUILD SECONDS (each target gets SECONDS)
set -euo pipefail
build=$1
seconds=${2:-60}
mkdir -p "$build/crashes"
for target in gsi_fuzz road_fuzz; do
    mkdir -p "$build/corpus-$target"
    log="$build/$target.log"
    status=0
    # 1024 bytes still hold more than 1000 (empty) lines and several whole GSI-16 lines,
    # and small inputs keep the run fast. The examples seed the road too.
    "$build/$target" -max_total_time="$seconds" -max_len=1024 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
        "$build/corpus-$target" fuzz/corpus fuzz/regressions examples 2>"$log" || status=$?
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
        "$log" | sed "s/^/$target: /" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        echo "make fuzz: $target failed; the input is in $build/crashes/" >&2
        exit "$status"
    fi
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "make fuzz: $target: inputs a second: ${rate:-?}"
    echo "make fuzz: $target: ${seconds} s without a failure; corpus:" \
        "$(ls "$build/corpus-$target" | wc -l) inputs"
done
