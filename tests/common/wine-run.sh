#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a program of the Windows build under Wine as the tests need it: in the build
# tree's own prefix, quietly, on an X server of its own that ends with it.
#
#   wine-run.sh --prefix          create the prefix afresh (once per test run)
#   wine-run.sh --qtest TEST.exe  a Qt Test binary: its log is printed here, its status kept
#   wine-run.sh PROGRAM.exe ARGS  any other program
#
# WINEPREFIX names the prefix. SIGTELINJE_WINE_DLL_DIRS (':'-separated) lists the
# folders of the DLLs that a program outside the deployed bin/ needs.
# SIGTELINJE_WINE_WAIT=1 waits for every process the program left behind (an
# uninstaller goes on from a copy of itself) instead of ending them. Inside a shell
# test that already runs its own X server (SIGTELINJE_UNDER_XVFB), that one is used.
set -uo pipefail

: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix of this build}"
export WINEPREFIX WINEDEBUG=-all
# No prompts to install .NET or a browser engine: the programs use neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="

windows_path() {
    local p
    p=$(realpath -m "$1")
    printf 'Z:%s' "${p//\//\\}"
}

dirs=()
IFS=: read -r -a dirs <<<"${SIGTELINJE_WINE_DLL_DIRS:-}"
winepath=
for d in "${dirs[@]}"; do
    [ -n "$d" ] && winepath+="${winepath:+;}$(windows_path "$d")"
done
[ -n "$winepath" ] && export WINEPATH="$winepath"

scratch=$(mktemp -d)
xvfb=
finish() {
    [ "${SIGTELINJE_WINE_WAIT:-}" = 1 ] && wineserver -w 2>/dev/null
    # Every Wine process of the prefix ends before its X server does; the tests of
    # one build run one at a time (they share the prefix).
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$scratch"
}
trap finish EXIT
# A test that gives up on the program stops it through this script.
trap 'exit 143' TERM INT

# In the background, so that a signal is acted on at once.
run() {
    wine "$@" &
    wait $!
}

if [ -z "${SIGTELINJE_UNDER_XVFB:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" \
        >"$scratch/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$scratch/display" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$scratch/display" ] || { cat "$scratch/xvfb.log" >&2; echo "wine-run: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n 1 "$scratch/display")"
fi

case "${1:-}" in
--prefix)
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    run wineboot --init || { echo "wine-run: wineboot could not create $WINEPREFIX" >&2; exit 1; }
    # Wine has no Courier New, the font every Windows has and the editor asks for; its
    # metric twin from fonts-liberation stands in, so the editor's own choice is tested.
    run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f \
        >/dev/null || { echo "wine-run: cannot set the font replacement" >&2; exit 1; }
    # Wine hides a file whose name starts with a dot; Windows does not.
    run reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null \
        || { echo "wine-run: cannot show dot files" >&2; exit 1; }
    # A drive letter linked to a folder, as `winecfg` maps one, for the rows about a drive
    # whose folder vanishes.
    mkdir -p "$WINEPREFIX/drive_s"
    ln -sfn ../drive_s "$WINEPREFIX/dosdevices/s:"
    # A network share, \\landmaaler\gsi, for the tests of paths on shares: Wine serves
    # \\server\share from dosdevices/unc/server/share.
    mkdir -p "$WINEPREFIX/share/gsi" "$WINEPREFIX/dosdevices/unc/landmaaler" || exit 1
    ln -sfn "$WINEPREFIX/share/gsi" "$WINEPREFIX/dosdevices/unc/landmaaler/gsi" || exit 1
    wineserver -w
    echo "Wine prefix ready: $WINEPREFIX"
    ;;
--qtest)
    shift
    # Xvfb runs no window manager, and Wine waits up to a second for one on every window it
    # hides or destroys. A Qt Test binary drives its windows itself, so its windows are left
    # unmanaged; the programs that xdotool drives stay managed.
    run reg add "HKCU\\Software\\Wine\\AppDefaults\\${1##*/}\\X11 Driver" /v Managed /d N /f \
        >/dev/null || { echo "wine-run: cannot leave the windows of $1 unmanaged" >&2; exit 1; }
    # Under Wine a Qt Test binary writes nothing to a pipe, but all of its log to a file.
    log="$scratch/log.txt"
    run "$@" -o "$(windows_path "$log"),txt"
    status=$?
    if [ -f "$log" ]; then
        tr -d '\r' <"$log"
    else
        echo "wine-run: $1 wrote no log" >&2
        [ "$status" -eq 0 ] && status=1
    fi
    if [ "$status" -eq 0 ] && ! grep -q '^Totals: ' "$log"; then
        echo "wine-run: $1 ended without its totals" >&2
        status=1
    fi
    exit "$status"
    ;;
*)
    run "$@"
    exit $?
    ;;
esac
