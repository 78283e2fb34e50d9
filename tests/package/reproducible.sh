#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Builds each package twice from this checkout, in two build folders at different depths, at
# two different times, under different umasks and time zones, and checks that the two are
# byte for byte the same, so that anyone can check a download against the source.
#
#   tests/package/reproducible.sh WORK deb            # the .deb
#   tests/package/reproducible.sh WORK windows QT     # the setup.exe and the portable zip,
#                                                     # QT naming the Windows Qt's qt.toolchain.cmake
#
# SOURCE_DATE_EPOCH is the last commit's time unless it is set already; CMAKE_FLAGS is passed to
# every configure (a compiler launcher, say). Exit status 0 when every package matched, 1 when
# one differed (what differs is shown), 2 for a wrong command line.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 WORK deb | WORK windows QT_TOOLCHAIN" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$1"
work=$(cd "$1" && pwd)
kind=$2
qt_toolchain=${3:-}
[ "$kind" = deb ] || [ "$kind" = windows ] || { echo "unknown package kind '$kind'" >&2; exit 2; }
[ "$kind" = deb ] || [ -f "$qt_toolchain" ] || { echo "no Windows Qt toolchain at '$qt_toolchain'" >&2; exit 2; }

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
read -r -a cmake_flags <<<"${CMAKE_FLAGS:-}"
# Every object is compiled afresh: a ccache that hashes no folder (hash_dir = false) returns an
# object compiled elsewhere whose debug information names that other place's folders, and the
# build ID is computed over it.
export CCACHE_DISABLE=1
echo "reproducible: SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T UTC'))"

# One build: configure, build, package. Only the programs: the tests and benchmarks are not
# packaged.
build() {
    local dir=$1
    rm -rf "$dir"
    local flags=(-G Ninja -DSIGTELINJE_TESTS=OFF -DSIGTELINJE_BENCH=OFF "${cmake_flags[@]}")
    if [ "$kind" = windows ]; then
        flags+=(-DCMAKE_TOOLCHAIN_FILE="$qt_toolchain"
            -DQT_CHAINLOAD_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake"
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
    fi
    cmake -S "$source_dir" -B "$dir" "${flags[@]}" >"$dir.log" 2>&1 \
        || { cat "$dir.log"; return 1; }
    cmake --build "$dir" >>"$dir.log" 2>&1 || { cat "$dir.log"; return 1; }
    if [ "$kind" = deb ]; then
        # CPack gives the .deb's own members (debian-binary, control.tar, data.tar) the modes
        # of its temporary files, which follow the umask; `make package` runs it under 022.
        (cd "$dir" && umask 022 && cpack -G DEB --config CPackConfig.cmake) >>"$dir.log" 2>&1 \
            || { cat "$dir.log"; return 1; }
    else
        cmake --build "$dir" --target windows_installer windows_portable >>"$dir.log" 2>&1 \
            || { cat "$dir.log"; return 1; }
    fi
}

first=$work/$kind-a
second=$work/later/$kind-b
mkdir -p "$work/later"
start=$SECONDS
(umask 022 && TZ=UTC build "$first")
# A later time of day and another clock: nothing of either may reach the packages.
sleep 2
(umask 002 && TZ=Pacific/Chatham build "$second")
echo "reproducible: built twice in $((SECONDS - start)) s"

# What differs, as far as the tools here can say: diffoscope when it is installed, otherwise
# the differing members of the unpacked packages.
explain() {
    local a=$1 b=$2
    if command -v diffoscope >/dev/null 2>&1; then
        diffoscope --text - "$a" "$b" | head -80 || true
        return
    fi
    local ua ub
    ua=$(mktemp -d) ub=$(mktemp -d)
    case $a in
    *.deb)
        dpkg-deb -R "$a" "$ua" && dpkg-deb -R "$b" "$ub"
        diff <(dpkg-deb -c "$a") <(dpkg-deb -c "$b") | head -20 || true ;;
    *.zip)
        unzip -q "$a" -d "$ua" && unzip -q "$b" -d "$ub"
        diff <(zipinfo -v "$a" | grep -v '^Archive:') <(zipinfo -v "$b" | grep -v '^Archive:') \
            | head -20 || true ;;
    *)
        cmp -l "$a" "$b" | head -20 || true ;;
    esac
    diff -rq "$ua" "$ub" || true
    rm -rf "$ua" "$ub"
}

packages=()
if [ "$kind" = deb ]; then
    packages=("$(basename "$(ls "$first"/packages/*.deb)")")
else
    for p in "$first"/packages/*-setup.exe "$first"/packages/*-portable.zip; do
        packages+=("$(basename "$p")")
    done
fi
status=0
for p in "${packages[@]}"; do
    a=$first/packages/$p
    b=$second/packages/$p
    if cmp -s "$a" "$b"; then
        echo "reproducible: $p: same, sha256 $(sha256sum <"$a" | cut -d' ' -f1)"
    else
        echo "reproducible: $p: DIFFERS"
        explain "$a" "$b"
        status=1
    fi
done
exit $status
