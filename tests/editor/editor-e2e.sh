#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# A user's session with the real editor window on a private X server: open a file, open the
# platform's font dialog and cancel it, type, and save through the File menu with the keyboard
# alone; then the file must hold what was typed.
# SIGTELINJE_LAUNCHER, when set, is the command that runs the program (Wine for a Windows
# build).
set -euo pipefail

editor=${1:?usage: editor-e2e.sh PATH-TO-sigtelinje-editor}

source "$(dirname "$0")/../common/session.sh"
under_xvfb "$@"

printf 'first line\r\nsecond line\r\n' >"$work/notes.txt"
unset QT_QPA_PLATFORM
# Qt's warnings go to stderr even where a Windows program has no console.
export QT_FORCE_STDERR_LOGGING=1
read -r -a launcher <<<"${SIGTELINJE_LAUNCHER:-}"
editor=$(realpath "$editor")
# A bare name, taken from the current folder, reads the same on both platforms.
cd "$work"
"${launcher[@]}" "$editor" notes.txt 2>"$work/stderr.txt" &
pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Sigtelinje - Text Editor: ' | head -n 1 || true)
if [ -z "$window" ]; then
    echo "editor-e2e: the editor window never appeared" >&2
    exit 1
fi
xdotool windowfocus "$window"
# There is no window manager, so wait until the X server itself reports the focus.
for _ in $(seq 100); do
    [ "$(xdotool getwindowfocus)" = "$window" ] && break
    sleep 0.1
done

focus() {
    xdotool windowfocus "$1" 2>/dev/null || true
    for _ in $(seq 100); do
        [ "$(xdotool getwindowfocus)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# Settings > Font Sizes > Font by the keyboard opens the platform's font dialog ("Font" on
# Windows, Qt's "Select Font" elsewhere), modal to the editor; escape cancels it quietly.
xdotool key --delay 100 alt+s f f
dialog=$(timeout 30 xdotool search --sync --onlyvisible --name '^(Font|Select Font)$' | head -n 1 || true)
if [ -z "$dialog" ]; then
    echo "editor-e2e: Settings > Font Sizes > Font showed no font dialog" >&2
    kill -0 "$pid" 2>/dev/null || echo "editor-e2e: the editor is gone" >&2
    exit 1
fi
focus "$dialog" || true
xdotool key Escape
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^(Font|Select Font)$' >/dev/null 2>&1 || break
    sleep 0.1
done
if xdotool search --onlyvisible --name '^(Font|Select Font)$' >/dev/null 2>&1; then
    echo "editor-e2e: escape did not close the font dialog" >&2
    exit 1
fi
kill -0 "$pid" 2>/dev/null || { echo "editor-e2e: the editor ended with the font dialog" >&2; exit 1; }
focus "$window" || { echo "editor-e2e: the editor window is gone after the font dialog" >&2; exit 1; }

xdotool type --delay 30 'Hello there'
# The typing lands before "first line"; copy it through the clipboard to the end of that line.
xdotool key --delay 30 shift+Home ctrl+c End ctrl+v Return alt+f
xdotool key --delay 30 s

for _ in $(seq 150); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "editor-e2e: the editor did not close after File > Save" >&2
    exit 1
fi
status=0
wait "$pid" || status=$?
pid=
if [ "$status" -ne 0 ]; then
    echo "editor-e2e: the editor exited with status $status" >&2
    exit 1
fi

printf 'Hello therefirst lineHello there\r\n\r\nsecond line\r\n' >"$work/expected"
if ! cmp "$work/expected" "$work/notes.txt"; then
    echo "editor-e2e: the saved file differs; it holds:" >&2
    od -c "$work/notes.txt" >&2
    exit 1
fi
if grep -i 'dpiawareness' "$work/stderr.txt" >&2; then
    echo "editor-e2e: Qt disagrees with the program's DPI awareness" >&2
    exit 1
fi
echo "editor-e2e: font dialog cancelled; typed and pasted text saved through File > Save, byte for byte"
