#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the pictures of the README and the AppStream metainfo from the built program, under
# Xvfb, so that they show the program as it is now:
#
#   tools/screenshots.sh [BUILD [OUT]]     # defaults: build docs
#
# OUT/mainwindow.png: the main window on a folder holding the example files, after a click on
# al17.gsi has converted it. OUT/preview.png: "Vis kurve…" on al17.gsi.
# The folder is /home/landmaaler/vejprojekt in a mount namespace of its own (a tmpfs over /home
# that no one else sees), so the pictures show a surveyor's folder and not a scratch path. The
# tmpfs hides whatever lies under /home, a checkout too: the program, the examples and the
# pictures go through a scratch folder in /tmp.
# Needs xvfb-run, xdotool, xwininfo, python3 and unshare; not root, it maps itself to root in
# a user namespace.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
mkdir -p "${2:-docs}"
out=$(cd "${2:-docs}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
[ -x "$build/bin/sigtelinje" ] || { echo "no $build/bin/sigtelinje: build it first" >&2; exit 1; }

scratch=$(TMPDIR=/tmp mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/examples" "$scratch/fb" "$scratch/home" "$scratch/shots"
cp "$build/bin/sigtelinje" "$build/bin/hlp.rtf" "$scratch/bin/"
cp "$source_dir"/examples/*.gsi "$scratch/examples/"

# XWD, as Xvfb keeps its screen in -fbdir, to PNG: the rectangle X Y W H of a 24-bit screen.
cat >"$scratch/xwd2png.py" <<'EOF'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
head = struct.unpack('>25I', data[:100])
header_size, depth = head[0], head[3]
byte_order, bits_per_pixel, bytes_per_line, ncolors = head[7], head[11], head[12], head[19]
if depth != 24 or bits_per_pixel != 32:
    sys.exit('xwd2png: a 24-bit screen is needed')
pixels = memoryview(data)[header_size + ncolors * 12:]
x, y, w, h = map(int, sys.argv[3:7])
red, green, blue = (2, 1, 0) if byte_order == 0 else (1, 2, 3)
rows = bytearray()
for row in range(y, y + h):
    line = pixels[row * bytes_per_line + x * 4:row * bytes_per_line + (x + w) * 4]
    rgb = bytearray(w * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = line[red::4], line[green::4], line[blue::4]
    rows += b'\0' + rgb
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
with open(sys.argv[2], 'wb') as png:
    png.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
              + chunk(b'IDAT', zlib.compress(bytes(rows), 9)) + chunk(b'IEND', b''))
EOF

# Under Xvfb, without a window manager: each window is at 0,0 and has no frame. The clicks
# are at the first row of "GSI Alignment filer", whose place the window fixes.
cat >"$scratch/scene.sh" <<'EOF'
set -euo pipefail
scratch=$1 project=$2
shoot() { # WINDOW FILE
    local geometry
    geometry=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
    xdotool mousemove 1270 1010
    sleep 1
    # shellcheck disable=SC2086
    python3 "$scratch/xwd2png.py" "$scratch/fb/Xvfb_screen0" "$2" $geometry
}
cd "$project"
"$scratch/bin/sigtelinje" >"$scratch/sigtelinje.log" 2>&1 &
main=$(xdotool search --sync --onlyvisible --name '^Sigtelinje$' | head -1)
sleep 2
xdotool mousemove --sync 290 41 click 1
for _ in $(seq 40); do [ -e al17PI.gsi ] && break; sleep 0.5; done
[ -e al17PI.gsi ] || { echo "screenshots: al17.gsi was not converted" >&2; exit 1; }
sleep 2
shoot "$main" "$scratch/shots/mainwindow.png"
xdotool mousemove --sync 290 41 click 3
sleep 1
xdotool key Return
preview=$(xdotool search --sync --onlyvisible --name '^Vis - al17.gsi' | head -1)
sleep 2
shoot "$preview" "$scratch/shots/preview.png"
xdotool key Escape
xdotool windowclose "$main" 2>/dev/null || true
EOF

# Inside the namespace: the surveyor's folder on a tmpfs over /home, then the scene under Xvfb.
cat >"$scratch/inside.sh" <<'EOF'
set -euo pipefail
scratch=$1 project=/home/landmaaler/vejprojekt
mount -t tmpfs -o mode=0755 sigtelinje-shots /home
mkdir -p "$project/gammelt"
cp "$scratch"/examples/*.gsi "$project/"
export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/home LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
chmod 0700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1280x1024x24 -fbdir $scratch/fb" \
    bash "$scratch/scene.sh" "$scratch" "$project"
EOF

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(--map-root-user)
unshare "${as_root[@]}" --mount --propagation private bash "$scratch/inside.sh" "$scratch"
cp "$scratch/shots/mainwindow.png" "$scratch/shots/preview.png" "$out/"
echo "screenshots: $out/mainwindow.png $out/preview.png"
