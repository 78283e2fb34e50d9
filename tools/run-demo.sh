#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the program on a copy of the example files, so there is something to click at once.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Start it from a desktop session, or under Xvfb: xvfb-run make run" >&2
    exit 1
fi
demo="$build/demo"
mkdir -p "$demo"
cp examples/*.gsi "$demo/"
bin=$(cd "$build/bin" && pwd)
cd "$demo"
exec "$bin/sigtelinje"
