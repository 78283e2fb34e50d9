#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Usage: portable-zip-runs.sh PORTABLE.zip FIXTURES
# Under Wine (SIGTELINJE_LAUNCHER runs a Windows program, WINEPREFIX is the prefix): the
# portable zip, unpacked into a scratch folder, holds the programs with their licences,
# its converter writes the right bytes, and its main program shows its window, with
# nothing but what the zip brought (no DLL folder of the build on the path).
set -euo pipefail
source "$(dirname "$0")/../common/session.sh"
under_xvfb "$@"

zip=$(realpath "$1")
fixtures=$(realpath "$2")
[ -f "$zip" ] || fail "no portable zip at $zip (make windows-package builds it)"
read -r -a wine <<<"${SIGTELINJE_LAUNCHER:?SIGTELINJE_LAUNCHER must run Windows programs}"
unset SIGTELINJE_WINE_DLL_DIRS WINEPATH

unzip -q "$zip" -d "$work/unpacked" || fail "unzip cannot unpack $zip"
top=$(basename "$zip" .zip)
dir="$work/unpacked/$top"
[ "$(ls -A "$work/unpacked")" = "$top" ] || fail "the zip holds more than its folder $top: $(ls -A "$work/unpacked")"
for f in sigtelinje.exe sigtelinje-editor.exe sigtelinje-convert.exe hlp.rtf Qt6Core.dll \
    Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll COPYING.txt Qt-LGPL-3.0.txt \
    Qt-NOTICE.txt; do
    [ -s "$dir/$f" ] || fail "$f is not in the zip"
done
grep -q 'GNU GENERAL PUBLIC LICENSE' "$dir/COPYING.txt" || fail "COPYING.txt is not the GPL"
grep -q 'GNU LESSER GENERAL PUBLIC LICENSE' "$dir/Qt-LGPL-3.0.txt" || fail "Qt-LGPL-3.0.txt is not the LGPL"
grep -q 'qt6-base' "$dir/Qt-NOTICE.txt" || fail "the Qt notice does not name its source"

# The converter needs no Qt; the main window shows that the Qt libraries and plugins are there.
check_windows_programs "$dir" unpacked
echo "portable zip under Wine: unpacks, converts byte for byte, shows its window"
