#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Builds the Windows Qt that `make windows` links against: Qt 6.4.2 (qtbase only) for
# 64-bit Windows, cross-compiled with Debian's MinGW-w64 GCC (POSIX threads) from the
# upstream sources in Debian's qt6-base source package, and packed as
# OUT/qt6.4.2-mingw64.tar.xz with a SHA256SUMS.txt beside it. `make windows-qt` runs it.
#
#   tools/build-windows-qt.sh OUT [--configure-only]
#
# Takes most of an hour on two cores. --configure-only stops after fetching the source,
# patching it and configuring it, to check those steps quickly.
#
# The source comes from the Debian archive the machine already uses, through a private
# apt configuration in OUT that adds the matching deb-src lines, so the machine's own
# apt sources stay as they are and no root is needed. apt checks the download against
# the archive's signed index. Debian's own patches to qt6-base are for its Linux build
# and are not applied; the patches in packaging/windows-qt/ are.
set -euo pipefail

qt_version=6.4.2
debian_version=6.4.2+dfsg-10
name=qt$qt_version-mingw64

[ $# -ge 1 ] || { echo "usage: $0 OUT [--configure-only]" >&2; exit 2; }
mkdir -p "$1"
out=$(realpath "$1")
configure_only=${2:-}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
patches=$source_dir/packaging/windows-qt
jobs=${JOBS:-2}

for tool in apt-get patch x86_64-w64-mingw32-g++-posix cmake ninja xz /usr/lib/qt6/libexec/moc; do
    command -v "$tool" >/dev/null || [ -x "$tool" ] \
        || { echo "build-windows-qt: $tool is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
done

# 1. The source package, from the deb-src twin of every Debian archive apt knows.
apt_dir=$out/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/sources.list.d"
: >"$apt_dir/sources.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' "$f" >>"$apt_dir/sources.list"
done
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types: .*$/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done
apt=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::Archives=$apt_dir/archives"
    -o "APT::Sandbox::User=$(id -un)" -o "Debug::NoLocking=1")
src=$out/src
mkdir -p "$src"
if [ ! -f "$src/qt6-base_${debian_version%-*}.orig.tar.xz" ]; then
    apt-get "${apt[@]}" -q update
    (cd "$src" && apt-get "${apt[@]}" -q source --download-only "qt6-base=$debian_version")
fi

# 2. The upstream tree, with this project's patches.
tree=$src/qtbase-everywhere-src-$qt_version
rm -rf "$tree"
tar -C "$src" -xf "$src/qt6-base_${debian_version%-*}.orig.tar.xz"
for patch in "$patches"/*.patch; do
    [ -f "$patch" ] || continue
    echo "build-windows-qt: applying $(basename "$patch")"
    patch -d "$tree" -p1 --forward --batch <"$patch"
done

# 3. Configure: shared libraries; only what Core, Gui, Widgets and Test need on Windows;
# Debian's host tools (moc, rcc, uic); bundled third-party code rather than Linux's.
prefix=$out/$name
build=$out/build
rm -rf "$build" "$prefix"
cmake -S "$tree" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_xml=OFF -DFEATURE_icu=OFF -DFEATURE_vulkan=OFF -DFEATURE_glib=OFF \
    -DFEATURE_fontconfig=OFF -DFEATURE_zstd=OFF -DFEATURE_freetype=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
if [ "$configure_only" = --configure-only ]; then
    echo "build-windows-qt: configured in $build; stopping there (--configure-only)"
    exit 0
fi

# 4. Build, install, pack.
cmake --build "$build" --parallel "$jobs"
cmake --install "$build" --strip
rm -rf "$prefix/doc"
tar -C "$out" -cJf "$out/$name.tar.xz.part" "$name"
mv "$out/$name.tar.xz.part" "$out/$name.tar.xz"
(cd "$out" && sha256sum "$name.tar.xz" >SHA256SUMS.txt)
echo "build-windows-qt: wrote $out/$name.tar.xz"
