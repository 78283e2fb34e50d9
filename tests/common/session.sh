# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the shell tests: a scratch folder and a background program that
# both end with the test, a way to fail, and a way to run under a private X server.

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A command that ends the test through `set -e` says which one it was, so that a
# failure never shows as a bare status with nothing in the log.
set -E
trap 'err_status=$?; echo "FAIL: ${BASH_SOURCE[0]##*/} line $LINENO: \"$BASH_COMMAND\" ended with status $err_status" >&2' ERR

# Runs the calling script again under xvfb-run, unless it already runs there.
# Outside CI a machine without the X tools skips visibly (77); CI must have them.
under_xvfb() {
    [ -n "${SIGTELINJE_UNDER_XVFB:-}" ] && return 0
    for tool in xvfb-run xdotool; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "$(basename "$0"): $tool is missing (tools/install-deps.sh installs it)" >&2
            [ "${CI:-}" = true ] && exit 1
            exit 77
        fi
    done
    rm -rf "$work"
    exec env SIGTELINJE_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
}

# The Windows programs in DIR as a user meets them, under Wine ("${wine[@]}"): the converter
# on the main window's samples in a scratch folder, judged by its bytes and the paths it
# prints, and the main program until its window shows. WHAT names them in a failure
# ("installed", "unpacked"). Needs $fixtures.
check_windows_programs() {
    local dir=$1 what=$2 found=
    rm -rf "$work/data"
    mkdir "$work/data"
    cp "$fixtures/al17.gsi" "$fixtures/pr17.gsi" "$work/data/"
    (cd "$work/data" && "${wine[@]}" "$dir/sigtelinje-convert.exe" al17.gsi pr17.gsi \
        >"$work/out" 2>"$work/err") || fail "the $what converter failed: $(cat "$work/err")"
    [ "$(tr -d '\r' <"$work/out")" = $'al17PI.gsi\npr17VPI.gsi' ] \
        || fail "unexpected output lines from the $what converter: $(cat "$work/out")"
    cmp "$work/data/al17PI.gsi" "$fixtures/al17PI.expected" || fail "al17PI.gsi has the wrong bytes"
    cmp "$work/data/pr17VPI.gsi" "$fixtures/pr17VPI.expected" || fail "pr17VPI.gsi has the wrong bytes"

    (cd "$work/data" && exec "${wine[@]}" "$dir/sigtelinje.exe") &
    pid=$!
    for _ in $(seq 300); do
        found=$(xdotool search --onlyvisible --name '^Sigtelinje$' 2>/dev/null | head -n 1) || true
        [ -n "$found" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$found" ] || fail "the $what sigtelinje.exe showed no window"
    kill -0 "$pid" 2>/dev/null || fail "the $what sigtelinje.exe ended on its own"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
}
