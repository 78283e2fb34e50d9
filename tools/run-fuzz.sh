#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzz target for a bounded time on the seed corpus and what earlier
# runs found. A crashing input is left in BUILD/crashes; copy it into
# fuzz/regressions/ so that the ordinary suite runs it from then on.
# Usage: run-fuzz.sh BUILD SECONDS
set -euo pipefail
build=$1
seconds=${2:-60}
mkdir -p "$build/corpus" "$build/crashes"
status=0
# 1024 bytes still hold more than 1000 (empty) lines and several whole GSI-16 lines,
# and small inputs keep the run fast.
"$build/gsi_fuzz" -max_total_time="$seconds" -max_len=1024 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/" "$build/corpus" fuzz/corpus fuzz/regressions \
    2>"$build/fuzz.log" || status=$?
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$build/fuzz.log" || true
if [ "$status" -ne 0 ]; then
    tail -n 40 "$build/fuzz.log" >&2
    echo "make fuzz: the target failed; the input is in $build/crashes/" >&2
    exit "$status"
fi
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$build/fuzz.log")
echo "make fuzz: inputs a second: ${rate:-?} (target: at least 10000)"
echo "make fuzz: ${seconds} s without a failure; corpus: $(ls "$build/corpus" | wc -l) inputs"
