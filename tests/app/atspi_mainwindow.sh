#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The main window as a screen reader meets it: under Xvfb, in a D-Bus session of its own with
# the AT-SPI bus, atspi_mainwindow.py reads the window's accessibility tree and chooses files
# through it. Skips (77) only where no session bus can start.
# Usage: atspi_mainwindow.sh PROGRAM FIXTURES
set -euo pipefail
source "$(dirname "$0")/../common/session.sh"
under_xvfb "$@"

program=$(realpath "$1")
fixtures=$(realpath "$2")
script=$(dirname "$(realpath "$0")")/atspi_mainwindow.py
# Debian's bindings belong to Debian's Python, whatever python3 comes first on the path.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" -c 'import pyatspi' 2>/dev/null \
    || fail "python3-pyatspi is missing (tools/install-deps.sh installs it)"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || fail "at-spi2-core is missing (tools/install-deps.sh installs it)"

if [ -z "${SIGTELINJE_IN_DBUS:-}" ]; then
    command -v dbus-run-session >/dev/null 2>&1 \
        || fail "dbus-run-session is missing (tools/install-deps.sh installs dbus)"
    if ! dbus-run-session -- true 2>/dev/null; then
        echo "$(basename "$0"): SKIP: no D-Bus session bus can start here" >&2
        exit 77
    fi
    rm -rf "$work"
    exec env SIGTELINJE_IN_DBUS=1 dbus-run-session -- "$0" "$@"
fi

# The AT-SPI bus lives inside this session; Qt exposes its tree without a desktop asking for it.
"$launcher" --launch-immediately &
bus=$!
trap 'kill "$bus" 2>/dev/null || true; cleanup' EXIT
for name in al1 al2 al3; do cp "$fixtures/al17.gsi" "$work/$name.gsi"; done
cd "$work"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
pid=$!
"$python" "$script" "$work"
wait "$pid" || fail "the program ended with status $?"
pid=
