#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the packages of the named sets that the machine lacks:
#
#   tools/install-deps.sh [running] [building] [testing]
#
# running: what the programs need at run time; building: what compiling them needs;
# testing: what the test suite, the sanitizer and fuzz builds, the Windows cross build under
# Wine and the packages need. No set named means all three. `make run` asks for running and
# building, `make test` for all three, so that trying the program does not pull in Wine, MinGW
# and the rest of the test toolchain.
# Debian and Ubuntu only; elsewhere it says what to install and stops.
set -euo pipefail

# running: the Qt libraries the programs link; the xcb platform plugin, which Qt loads at run
# time and so no library dependency pulls in (a Wayland session runs the window through
# XWayland); the fonts the window and the editor ask for, Liberation Sans in place of MS Sans
# Serif and DejaVu Sans Mono as the fixed-pitch font; xdg-open, which the Hjælp button starts on
# hlp.rtf.
running=(
    libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins
    fonts-dejavu-core fonts-liberation xdg-utils
)
# xdg-open only hands hlp.rtf on: without a program that opens .rtf the Hjælp button shows
# nothing. A desktop usually has one (LibreOffice Writer); where none is installed, AbiWord,
# the smallest that reads RTF, is added.
rtf_reader=abiword
building=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libmount-dev help2man
)
testing=(
    xvfb xauth xdotool x11-utils
    dpkg-dev file desktop-file-utils gawk python3
    clang libclang-rt-14-dev libasan8 libubsan1 util-linux mount
    exfat-fuse exfatprogs bindfs ntfs-3g fusefat fuseiso genisoimage dosfstools strace fuse3 libfuse3-dev
    g++-mingw-w64-x86-64-posix wine wine64 fonts-wine nsis xz-utils zip unzip
    reuse lintian appstream patch
    dbus at-spi2-core python3-pyatspi
)

[ $# -gt 0 ] || set -- running building testing
packages=()
for set in "$@"; do
    case $set in
    running)
        packages+=("${running[@]}")
        if ! grep -qsE '^MimeType=(.*;)?(application|text)/rtf(;|$)' \
            /usr/share/applications/*.desktop /usr/local/share/applications/*.desktop \
            "${XDG_DATA_HOME:-$HOME/.local/share}"/applications/*.desktop; then
            packages+=("$rtf_reader")
        fi
        ;;
    building) packages+=("${building[@]}") ;;
    testing) packages+=("${testing[@]}") ;;
    *) echo "install-deps: unknown set '$set' (running, building or testing)" >&2; exit 2 ;;
    esac
done

if [ -n "${INSTALL_DEPS_LIST:-}" ]; then
    # For checking which packages a target asks for, without installing anything.
    printf '%s\n' "${packages[@]}"
    exit 0
fi

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "install-deps: no dpkg here; install these by hand: ${packages[*]}" >&2
    exit 1
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
