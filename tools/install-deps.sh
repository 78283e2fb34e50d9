#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs whatever the build and the test suite need and the machine lacks.
# Debian and Ubuntu only; elsewhere it says what to install and stops.
set -euo pipefail

packages=(
    cmake ninja-build g++ make
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth xdotool x11-utils
    fonts-dejavu-core fonts-liberation
    dpkg-dev file desktop-file-utils gawk python3
    clang libclang-rt-14-dev libasan8 libubsan1 util-linux mount
    exfat-fuse exfatprogs bindfs ntfs-3g fusefat fuseiso genisoimage dosfstools strace fuse3 libfuse3-dev
    g++-mingw-w64-x86-64-posix wine wine64 fonts-wine nsis xz-utils zip unzip
    reuse lintian help2man appstream patch
    dbus at-spi2-core python3-pyatspi
    libmount-dev pkg-config
)

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
