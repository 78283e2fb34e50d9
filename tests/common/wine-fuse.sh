#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Serves FUSE media to a test of the Windows build under Wine, which cannot mount one itself:
# a bindfs mount on the host, shown to Wine as the drive letter T:, that the test can stop
# and resume as a stalled medium is (tests/common/fusemount_win.cpp asks for it).
#
#   wine-fuse.sh COMMAND ARGS...   runs COMMAND with SIGTELINJE_WINE_FUSE naming the folder
#                                  that requests go through, and serves them meanwhile
#
# A request is one line in the file "request": "mount SOURCE" (a host path), "stop",
# "resume" or "unmount"; the answer comes in the file "answer", starting "ok" or "error".
# Whatever is left stopped or mounted is resumed and unmounted when COMMAND ends.
set -uo pipefail

: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix of this build}"
command -v bindfs >/dev/null && [ -e /dev/fuse ] || {
    echo "wine-fuse.sh: bindfs or /dev/fuse is missing; tools/install-deps.sh installs bindfs" >&2
    exit 77
}
letter="$WINEPREFIX/dosdevices/t:"
if [ -e "$letter" ] || [ -L "$letter" ]; then
    echo "wine-fuse.sh: T: is already mapped" >&2
    exit 1
fi

control=$(mktemp -d)
mountpoint=
daemon=

unmount() {
    [ -n "$daemon" ] || return 0
    kill -CONT "$daemon" 2>/dev/null
    rm -f "$letter"
    fusermount3 -u "$mountpoint" 2>/dev/null || fusermount3 -u -z "$mountpoint" 2>/dev/null
    wait "$daemon" 2>/dev/null
    rmdir "$mountpoint" 2>/dev/null
    daemon= mountpoint=
}

answer() {
    printf '%s\n' "$*" >"$control/answer.new" && mv "$control/answer.new" "$control/answer"
}

serve() {
    local verb argument
    trap 'unmount; exit 0' TERM
    while :; do
        if [ -f "$control/request" ]; then
            read -r verb argument <"$control/request"
            rm -f "$control/request"
            case $verb in
            mount)
                unmount
                mountpoint=$(mktemp -d)
                bindfs -f "$argument" "$mountpoint" 2>"$control/bindfs.log" &
                daemon=$!
                for _ in $(seq 200); do
                    mountpoint -q "$mountpoint" && break
                    sleep 0.05
                done
                if mountpoint -q "$mountpoint"; then
                    ln -s "$mountpoint" "$letter"
                    answer ok T:
                else
                    answer "error bindfs: $(head -c 500 "$control/bindfs.log")"
                    unmount
                fi
                ;;
            stop) kill -STOP "$daemon" && answer ok || answer error no medium ;;
            resume) kill -CONT "$daemon" && answer ok || answer error no medium ;;
            unmount) unmount && answer ok ;;
            *) answer "error unknown request $verb" ;;
            esac
        fi
        sleep 0.02
    done
}

serve &
server=$!
finish() {
    # The server resumes and unmounts what the test left.
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$control"
}
trap finish EXIT
trap 'exit 143' TERM INT

# Wine's name for the folder: the host's root is its drive Z:.
SIGTELINJE_WINE_FUSE="Z:${control//\//\\}" "$@" &
wait $!
