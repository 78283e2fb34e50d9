#!/usr/bin/env bash
# A user's session with the real editor window on a private X server: open a file, type, and
# save through the File menu with the keyboard alone; then the file must hold what was typed.
set -euo pipefail

editor=${1:?usage: editor-e2e.sh PATH-TO-sigtelinje-editor}

source "$(dirname "$0")/../common/session.sh"
under_xvfb "$@"

printf 'first line\r\nsecond line\r\n' >"$work/notes.txt"
unset QT_QPA_PLATFORM
"$editor" "$work/notes.txt" &
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
echo "editor-e2e: typed and pasted text saved through File > Save, byte for byte"
