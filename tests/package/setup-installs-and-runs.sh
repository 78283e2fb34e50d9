#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: setup-installs-and-runs.sh SETUP.exe FIXTURES PLANTED.exe
# Under Wine (SIGTELINJE_LAUNCHER runs a Windows program, WINEPREFIX is the prefix):
# sees the setup's first page in Danish on a Danish system and in English elsewhere, installs
# silently into a scratch folder, from a download folder, with PLANTED.exe as
# icacls.exe beside the setup and in the folder (it must not run), checks what was installed
# and registered, converts a sample with the installed converter, sees the installed main
# program's window, sees a per-user install refused while that one stands, uninstalls silently
# and checks that nothing of ours is left. Then the same for a per-user install (/CurrentUser)
# into the user's own programs folder, with a per-machine install beside it that the per-user
# uninstaller leaves alone.
set -euo pipefail
source "$(dirname "$0")/../common/session.sh"
under_xvfb "$@"

setup=$(realpath "$1")
fixtures=$(realpath "$2")
planted=$(realpath "$3")
[ -f "$setup" ] || fail "no installer at $setup (make windows-package builds it)"
read -r -a wine <<<"${SIGTELINJE_LAUNCHER:?SIGTELINJE_LAUNCHER must run Windows programs}"
: "${WINEPREFIX:?}"

windows_path() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

# No blanks: Wine quotes an argument that has them, and the installer takes /D= only
# unquoted, as typed in a Windows command line.
programs="$work/Programs"
target="$programs/Sigtelinje"
mkdir "$programs"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sigtelinje"
machine_menu=$menu
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sigtelinje'
registered() {
    local out
    out=$("${wine[@]}" reg query "$key" /v "$1" 2>/dev/null) || return 1
    tr -d '\r' <<<"$out"
}

# The setup's pages are in the system's language: Danish on a Danish system, English elsewhere.
# Wine takes the system's language from LC_ALL; the window's caption shows the setup's choice.
# The setup is stopped on its first page, having changed nothing.
caption_under() {
    local found= title=
    (LC_ALL=$1 exec "${wine[@]}" "$setup") &
    pid=$!
    for _ in $(seq 300); do
        found=$(xdotool search --onlyvisible --name '^Sigtelinje [0-9.]+ ' 2>/dev/null | head -n 1) \
            || true
        [ -n "$found" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$found" ] && title=$(xdotool getwindowname "$found")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
    printf '%s\n' "$title"
}
caption=$(caption_under da_DK.UTF-8)
grep -Eq '^Sigtelinje [0-9.]+ Installation *$' <<<"$caption" \
    || fail "the setup on a Danish system has the caption '$caption'"
caption=$(caption_under en_US.UTF-8)
grep -Eq '^Sigtelinje [0-9.]+ Setup *$' <<<"$caption" \
    || fail "the setup on an English system has the caption '$caption'"

# A program named without its folder is looked for first in the folder of the program that
# starts it, then in the current folder: a download folder may hold anything, an icacls.exe
# too, and an install into a folder that already exists, outside Program Files, may find one
# there. The per-machine install runs icacls as an administrator; neither plant may run.
downloads="$work/Downloads"
mkdir "$downloads" "$target"
cp "$setup" "$downloads/"
for folder in "$downloads" "$target"; do cp "$planted" "$folder/icacls.exe"; done
# The plant leaves its trace when it runs, else its absence below would prove nothing.
"${wine[@]}" "$downloads/icacls.exe" && [ -e "$downloads/planted-ran.txt" ] \
    || fail "the planted icacls.exe leaves no trace when run"
rm "$downloads/planted-ran.txt"
"${wine[@]}" "$downloads/${setup##*/}" /S /AllUsers "/D=$(windows_path "$target")" \
    || fail "the silent install failed ($?)"
for folder in "$downloads" "$target"; do
    [ ! -e "$folder/planted-ran.txt" ] || fail "the setup ran the icacls.exe in $folder:" \
        "$(tr -d '\0' <"$folder/planted-ran.txt")"
done
rm "$target/icacls.exe"

for f in sigtelinje.exe sigtelinje-editor.exe sigtelinje-convert.exe hlp.rtf uninstall.exe \
    COPYING.txt Qt-LGPL-3.0.txt Qt-NOTICE.txt \
    Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll \
    libwinpthread-1.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
    [ -s "$target/$f" ] || fail "$f was not installed"
done
for link in "Sigtelinje.lnk" "Sigtelinje text editor.lnk"; do
    [ -s "$menu/$link" ] || fail "no Start-menu shortcut $link"
done
registered UninstallString | grep -qF "$(windows_path "$target")\\uninstall.exe" \
    || fail "no uninstaller in Add/Remove Programs: $(registered UninstallString)"
registered DisplayName | grep -q 'REG_SZ *Sigtelinje$' || fail "Add/Remove Programs shows no name"

registered EstimatedSize | grep -Eq 'REG_DWORD +0x0*[1-9a-f]' \
    || fail "Add/Remove Programs shows no size: $(registered EstimatedSize)"

# The installed converter on the main window's samples, and the main program's window.
check_windows_programs "$target" installed

# One entry only: a per-user install over the per-machine one is refused, with nothing written.
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
user_keys_before=$("${wine[@]}" reg query "$user_key" >/dev/null 2>&1 && echo yes || echo no)
status=0
"${wine[@]}" "$setup" /S /CurrentUser || status=$?
[ "$status" -eq 3 ] || fail "a per-user install beside the per-machine one was not refused ($status)"
! "${wine[@]}" reg query "$user_key\Sigtelinje" >/dev/null 2>&1 \
    || fail "the refused per-user install registered itself"

SIGTELINJE_WINE_WAIT=1 "${wine[@]}" "$target/uninstall.exe" /S || fail "the silent uninstall failed"
[ ! -e "$target" ] || fail "left behind after uninstalling: $(cd "$target" && find . | sort | tr '\n' ' ')"
[ -z "$(ls -A "$programs")" ] || fail "left in the parent folder: $(ls -A "$programs")"
[ ! -e "$menu" ] || fail "the Start-menu folder is left: $(ls "$menu")"
! registered UninstallString >/dev/null || fail "the uninstaller is still registered"

# Per user: no folder given, so the user's own programs folder; shortcuts in the user's
# Start menu, the uninstaller under HKCU and nothing under HKLM.
# Wine keeps a user's profile under drive_c/users/<login name>; reading the folders from
# the prefix, not through a Wine program, keeps this check out of Wine's start-up.
profile="$WINEPREFIX/drive_c/users/$(id -un)"
[ -d "$profile/AppData" ] || fail "the prefix has no profile for $(id -un) at $profile"
target="$profile/AppData/Local/Programs/Sigtelinje"
menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Sigtelinje"
[ ! -e "$target" ] || fail "$target is there before the per-user install"
machine_key=$key
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sigtelinje'

"${wine[@]}" "$setup" /S /CurrentUser || fail "the silent per-user install failed ($?)"
for f in sigtelinje.exe sigtelinje-convert.exe Qt6Core.dll platforms/qwindows.dll \
    COPYING.txt Qt-LGPL-3.0.txt Qt-NOTICE.txt uninstall.exe; do
    [ -s "$target/$f" ] || fail "$f was not installed into $target"
done
for link in "Sigtelinje.lnk" "Sigtelinje text editor.lnk"; do
    [ -s "$menu/$link" ] || fail "no Start-menu shortcut $link in the user's menu"
done
registered UninstallString | grep -qF "\\Programs\\Sigtelinje\\uninstall.exe\" /CurrentUser" \
    || fail "no per-user uninstaller under HKCU: $(registered UninstallString)"
key=$machine_key
! registered UninstallString >/dev/null || fail "the per-user install wrote to HKLM"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sigtelinje'
check_windows_programs "$target" per-user

# Both at once, as when IT installs for the machine after a user installed for himself. The
# setup refuses that order on one account, so the user's entry steps aside meanwhile.
machine_target="$programs/Sigtelinje"
user_entry=$(windows_path "$work/user-entry.reg")
"${wine[@]}" reg export "$key" "$user_entry" /y >/dev/null || fail "cannot keep the user's entry"
"${wine[@]}" reg delete "$key" /f >/dev/null || fail "cannot set the user's entry aside"
"${wine[@]}" "$setup" /S /AllUsers "/D=$(windows_path "$machine_target")" \
    || fail "the per-machine install beside the per-user one failed ($?)"
"${wine[@]}" reg import "$user_entry" >/dev/null || fail "cannot put the user's entry back"

# The uninstaller finds out by itself that it belongs to a per-user install, and removes
# only that one: its files, its entry under HKCU and its own shortcuts.
SIGTELINJE_WINE_WAIT=1 "${wine[@]}" "$target/uninstall.exe" /S || fail "the per-user uninstall failed"
[ ! -e "$target" ] || fail "left behind after uninstalling: $(cd "$target" && find . | sort | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the user's Start-menu folder is left: $(ls "$menu")"
! registered UninstallString >/dev/null || fail "the per-user uninstaller is still registered"
key=$machine_key
registered InstallLocation | grep -qF "$(windows_path "$machine_target")" \
    || fail "the per-user uninstaller removed the per-machine entry"
[ -s "$machine_target/sigtelinje.exe" ] || fail "the per-user uninstaller removed per-machine files"
[ -s "$machine_menu/Sigtelinje.lnk" ] || fail "the per-user uninstaller removed the common shortcuts"
SIGTELINJE_WINE_WAIT=1 "${wine[@]}" "$machine_target/uninstall.exe" /S || fail "the per-machine uninstall failed"
[ ! -e "$machine_target" ] || fail "left behind after uninstalling: $machine_target"
[ ! -e "$machine_menu" ] || fail "the Start-menu folder is left: $(ls "$machine_menu")"
! registered UninstallString >/dev/null || fail "the per-machine uninstaller is still registered"
if [ "$user_keys_before" = no ]; then
    ! "${wine[@]}" reg query "$user_key" >/dev/null 2>&1 || fail "an empty $user_key is left"
fi
echo "setup.exe under Wine: per machine and per user, installs, converts, uninstalls cleanly"
