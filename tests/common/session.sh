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
