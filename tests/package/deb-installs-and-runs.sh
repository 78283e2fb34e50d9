#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: deb-installs-and-runs.sh BUILD_DIR FIXTURES
# Makes the package with CPack into a folder of its own (so that a `make package`
# in the same tree is not disturbed), unpacks it with dpkg -x, and checks the
# installed layout, the converter's bytes, and that the installed main program
# opens its window.
set -euo pipefail

build=$(realpath "$1")
fixtures=$(realpath "$2")
source "$(dirname "$0")/../common/session.sh"

# Under a group-writable umask, as on a builder whose users share a group: the package's modes
# must not follow it.
(umask 002 && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack") \
    >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
debs=("$work"/cpack/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}
odd=$(dpkg-deb -c "$deb" | awk '$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x|lrwxrwxrwx)$/')
[ -z "$odd" ] || fail "entries with modes other than 0755, 0644 and links: $odd"

# The Qt 6 runtime libraries the programs link, and the platform plugin they load.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for need in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libc6 libstdc++6; do
    grep -qxF "$need" <<<"$names" || fail "Depends lacks $need: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = sigtelinje ] || fail "the package is not called sigtelinje"

# What a Debian maintainer checks first: lintian with every warning a failure.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 \
    || { cat "$work/lintian.log" >&2; fail "lintian rejects the package"; }

root="$work/root"
dpkg -x "$deb" "$root"
usr="$root/usr"
for f in lib/sigtelinje/sigtelinje lib/sigtelinje/sigtelinje-editor bin/sigtelinje-convert; do
    [ -x "$usr/$f" ] && [ ! -L "$usr/$f" ] || fail "$f is not an installed program"
done
[ -s "$usr/lib/sigtelinje/hlp.rtf" ] || fail "hlp.rtf is not beside the main program"
# The help button looks beside the program's real file, wherever the link is.
for program in sigtelinje sigtelinje-editor; do
    [ "$(readlink "$usr/bin/$program")" = "../lib/sigtelinje/$program" ] \
        || fail "bin/$program is not a relative link into lib/sigtelinje"
done
desktop="$usr/share/applications/org.sigtelinje.Sigtelinje.desktop"
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -qx 'Exec=sigtelinje' "$desktop" && grep -qx 'Icon=sigtelinje' "$desktop" \
    || fail "the desktop entry does not start sigtelinje with its icon"
for size in 48 96; do
    icon="$usr/share/icons/hicolor/${size}x${size}/apps/sigtelinje.png"
    file "$icon" | grep -q "PNG image data, $size x $size" \
        || fail "no ${size}px icon: $(file "$icon")"
done

metainfo="$usr/share/metainfo/org.sigtelinje.Sigtelinje.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 \
    || { cat "$work/appstream.log" >&2; fail "the AppStream metainfo is not valid"; }
grep -qF '<launchable type="desktop-id">org.sigtelinje.Sigtelinje.desktop</launchable>' "$metainfo" \
    && grep -qF "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$metainfo" \
    || fail "the metainfo does not name the desktop entry and the package's version"
# Software centres find a program by the commands it provides: every one on the path.
for program in "$usr"/bin/*; do
    grep -qF "<binary>$(basename "$program")</binary>" "$metainfo" \
        || fail "the metainfo does not provide $(basename "$program")"
done
grep -qE '<image>[^<]+\.png</image>' "$metainfo" || fail "the metainfo shows no screenshot"

# A manual page for each program; the converter's tells its options.
for program in sigtelinje sigtelinje-editor sigtelinje-convert sigtelinje-road; do
    page="$usr/share/man/man1/$program.1.gz"
    zgrep -qE "^\.TH \"?${program^^}\"? \"?1" "$page" || fail "no manual page for $program"
done
zgrep -q 'dry\\-run' "$usr/share/man/man1/sigtelinje-convert.1.gz" \
    || fail "the converter's manual page lacks its options"
doc="$usr/share/doc/sigtelinje"
grep -q '^License: GPL-3.0+' "$doc/copyright" || fail "no GPL-3.0+ in the copyright file"
[ "$(zcat "$doc/changelog.gz" | head -n 1)" = "sigtelinje ($(dpkg-deb -f "$deb" Version)) unstable; urgency=medium" ] \
    || fail "the changelog does not start with this version"

# The installed converter, on the files the real window was tested with.
mkdir "$work/data"
cp "$fixtures/al17.gsi" "$fixtures/pr17.gsi" "$work/data/"
(cd "$work/data" && "$usr/bin/sigtelinje-convert" al17.gsi pr17.gsi >"$work/out" 2>"$work/err") \
    || fail "the installed converter failed: $(cat "$work/err")"
[ "$(cat "$work/out")" = $'al17PI.gsi\npr17VPI.gsi' ] \
    || fail "unexpected output lines: $(cat "$work/out")"
cmp "$work/data/al17PI.gsi" "$fixtures/al17PI.expected" || fail "al17PI.gsi has the wrong bytes"
cmp "$work/data/pr17VPI.gsi" "$fixtures/pr17VPI.expected" || fail "pr17VPI.gsi has the wrong bytes"

# The installed main program, started through its link in bin/, must show its window.
cat >"$work/window.sh" <<'INNER'
set -u
cd "$1"
env -u QT_QPA_PLATFORM "$2" &
pid=$!
timeout 30 xdotool search --sync --onlyvisible --name '^Sigtelinje$' >/dev/null
found=$?
# A window that shows and then falls over is no success either.
running=1
kill -0 "$pid" 2>/dev/null || running=0
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
[ "$running" -eq 1 ] || exit 3
exit "$found"
INNER
status=0
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/window.sh" "$work/data" "$usr/bin/sigtelinje" \
    >"$work/window.log" 2>&1 || status=$?
if [ $status -ne 0 ]; then
    cat "$work/window.log" >&2
    fail "the installed sigtelinje showed no window (status $status)"
fi
echo "package_deb: $(basename "$deb") installs; converter and main window work"
