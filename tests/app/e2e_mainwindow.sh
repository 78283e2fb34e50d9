#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real program under Xvfb as a user would: clicks the first entry of
# each file list, checks the written bytes, checks that the window came back
# listing the new file by clicking that too, then leaves through "Exit". Then,
# in a folder of three files, the keyboard alone: arrows move, Enter and Space
# convert the file highlighted last and no other. Last the preview: Shift+F10 on a file opens
# its menu, "Vis kurve…" the preview, which saves its drawing as a PNG and converts nothing.
# Usage: e2e_mainwindow.sh PROGRAM FIXTURES
# SIGTELINJE_LAUNCHER, when set, is the command that runs the program (Wine for a
# Windows build).
set -euo pipefail
source "$(dirname "$0")/../common/session.sh"
under_xvfb "$@"

program=$(realpath "$1")
fixtures=$(realpath "$2")

# Waits up to thirty seconds for a command to succeed: Wine on a busy machine may take
# that long to show a window.
await() {
    for _ in $(seq 300); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

main_window() { xdotool search --onlyvisible --name '^Sigtelinje($| – )' | head -n 1; }
# After a conversion the same window reads its folder again and names the file it wrote.
wrote() { xdotool getwindowname "$window" | grep -q "Skrevet: .*[/\\]$1\$"; }

cp "$fixtures/al17.gsi" "$fixtures/pr17.gsi" "$work/"
cd "$work"
read -r -a launcher <<<"${SIGTELINJE_LAUNCHER:-}"
"${launcher[@]}" "$program" &
pid=$!

await main_window || fail "the main window did not appear"
window=$(main_window)

# Client coordinates of list entries: each list stands at (8, 24) inside its
# frame; the alignment frame at (248, 8), the profile frame at (464, 8).
first_row=42
second_row=59
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# "Exit" at the top of the right-hand column ends the program; WHEN names the time in a failure.
exit_through_exit() {
    click "$window" 728 28
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "Exit did not end the program${1:+ $1}"
    wait "$pid" || fail "the program ended with status $?"
    pid=
}

click "$window" 300 $first_row
await test -s al17PI.gsi || fail "al17PI.gsi was not written"
await wrote al17PI.gsi || fail "the main window did not name al17PI.gsi"
cmp al17PI.gsi "$fixtures/al17PI.expected" || fail "al17PI.gsi has the wrong bytes"
window=$(main_window)

click "$window" 516 $first_row
await test -s pr17VPI.gsi || fail "pr17VPI.gsi was not written"
await wrote pr17VPI.gsi || fail "the main window did not name pr17VPI.gsi"
cmp pr17VPI.gsi "$fixtures/pr17VPI.expected" || fail "pr17VPI.gsi has the wrong bytes"
window=$(main_window)

# The window read afresh lists the new file second; converting it proves it is there.
click "$window" 300 $second_row
await test -s al17PIPI.gsi || fail "the window read afresh did not list al17PI.gsi"
cmp al17PIPI.gsi "$fixtures/al17PIPI.expected" || fail "al17PIPI.gsi has the wrong bytes"
await wrote al17PIPI.gsi || fail "the main window did not name al17PIPI.gsi"
window=$(main_window)

[ "$(ls | sort | tr '\n' ' ')" = "al17.gsi al17PI.gsi al17PIPI.gsi pr17.gsi pr17VPI.gsi " ] \
    || fail "unexpected files: $(ls)"

exit_through_exit

# The keyboard alone. A click on the version text, which takes no focus, gives
# the window the keyboard; the drive list has the focus, as after every start.
mkdir "$work/keys"
cd "$work/keys"
for name in ala alb alc; do cp "$fixtures/al17.gsi" "$name.gsi"; done
"${launcher[@]}" "$program" &
pid=$!
await main_window || fail "the main window did not appear for the keyboard"
window=$(main_window)
keys() { click "$window" 700 170; xdotool key --delay 100 "$@"; }

# Tab to the alignment list (drive, Exit, logo, folders, alignment files), Down twice, Enter.
keys Tab Tab Tab Tab Down Down Return
await test -s albPI.gsi || fail "Enter did not convert the highlighted alb.gsi"
await wrote albPI.gsi || fail "the main window did not name albPI.gsi after Enter"
cmp albPI.gsi "$fixtures/al17PI.expected" || fail "albPI.gsi has the wrong bytes"
[ "$(ls | tr '\n' ' ')" = "ala.gsi alb.gsi albPI.gsi alc.gsi " ] \
    || fail "the arrows converted more than the file highlighted last: $(ls)"
window=$(main_window)

# Back to the list, which now shows ala, alb, albPI, alc: down to alc, Space.
keys Tab Tab Tab Tab Down Down Down Down space
await test -s alcPI.gsi || fail "Space did not convert the highlighted alc.gsi"
await wrote alcPI.gsi || fail "the main window did not name alcPI.gsi after Space"
[ "$(ls | tr '\n' ' ')" = "ala.gsi alb.gsi albPI.gsi alc.gsi alcPI.gsi " ] \
    || fail "the arrows converted more than the file highlighted last: $(ls)"
window=$(main_window)
exit_through_exit "the second time"

# The preview from the keyboard: Tab to the alignment list, Down, Shift+F10, Enter on the menu.
mkdir "$work/preview"
cd "$work/preview"
cp "$fixtures/al17.gsi" .
"${launcher[@]}" "$program" &
pid=$!
await main_window || fail "the main window did not appear for the preview"
window=$(main_window)
keys Tab Tab Tab Tab Down shift+F10
sleep 0.5
xdotool key --delay 100 Return
preview_window() { xdotool search --onlyvisible --name '^Vis - al17.gsi$' | head -n 1; }
await preview_window || fail "Shift+F10 and Enter did not open the preview"
# "Gem som PNG..." by its mnemonic, and a name typed into the file dialog.
xdotool windowfocus --sync "$(preview_window)" key --delay 100 alt+p
save_dialog() { xdotool search --onlyvisible --name '^Gem som PNG$' | head -n 1; }
await save_dialog || fail "Gem som PNG did not ask for a name"
sleep 0.5
# The name field holds the suggested name, which Windows' own dialog leaves unselected.
xdotool key --delay 100 End shift+Home
xdotool type --delay 50 "al17.png"
xdotool key --delay 100 Return
await test -s al17.png || fail "the preview did not save al17.png"
python3 - al17.png <<'PY' || fail "al17.png is not a valid PNG image"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
at, seen = 8, []
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    assert zlib.crc32(kind + body) == struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0]
    seen.append(kind)
    at += 12 + length
width, height = struct.unpack(">II", data[16:24])
assert seen[0] == b"IHDR" and seen[-1] == b"IEND" and b"IDAT" in seen and width > 0 and height > 0
PY
[ "$(ls | tr '\n' ' ')" = "al17.gsi al17.png " ] \
    || fail "the preview converted or wrote more: $(ls)"
# Escape closes the preview, which stands over the main window.
xdotool windowfocus --sync "$(preview_window)" key --delay 100 Escape
preview_gone() { [ -z "$(preview_window)" ]; }
await preview_gone || fail "Escape did not close the preview"
exit_through_exit "after the preview"
echo "e2e main window: 3 passed, 0 failed"
