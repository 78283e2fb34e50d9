#!/usr/bin/env bash
# Usage: setup-installs-and-runs.sh SETUP.exe FIXTURES
# Under Wine (SIGTELINJE_LAUNCHER runs a Windows program, WINEPREFIX is the prefix):
# installs silently into a scratch folder, checks what was installed and registered,
# converts a sample with the installed converter, sees the installed main program's
# window, uninstalls silently and checks that nothing of ours is left.
set -euo pipefail
source "$(dirname "$0")/../common/session.sh"
under_xvfb "$@"

setup=$(realpath "$1")
fixtures=$(realpath "$2")
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
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sigtelinje'
registered() {
    local out
    out=$("${wine[@]}" reg query "$key" /v "$1" 2>/dev/null) || return 1
    tr -d '\r' <<<"$out"
}

"${wine[@]}" "$setup" /S "/D=$(windows_path "$target")" || fail "the silent install failed ($?)"

for f in sigtelinje.exe sigtelinje-editor.exe sigtelinje-convert.exe hlp.rtf uninstall.exe \
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

# The installed converter on the main window's samples, judged by its bytes.
mkdir "$work/data"
cp "$fixtures/al17.gsi" "$fixtures/pr17.gsi" "$work/data/"
(cd "$work/data" && "${wine[@]}" "$target/sigtelinje-convert.exe" al17.gsi pr17.gsi \
    >"$work/out" 2>"$work/err") || fail "the installed converter failed: $(cat "$work/err")"
[ "$(tr -d '\r' <"$work/out")" = $'al17PI.gsi\npr17VPI.gsi' ] \
    || fail "unexpected output lines: $(cat "$work/out")"
cmp "$work/data/al17PI.gsi" "$fixtures/al17PI.expected" || fail "al17PI.gsi has the wrong bytes"
cmp "$work/data/pr17VPI.gsi" "$fixtures/pr17VPI.expected" || fail "pr17VPI.gsi has the wrong bytes"

# The installed main program shows its window and keeps running.
(cd "$work/data" && exec "${wine[@]}" "$target/sigtelinje.exe") &
pid=$!
found=
for _ in $(seq 300); do
    found=$(xdotool search --onlyvisible --name '^Sigtelinje$' 2>/dev/null | head -n 1) || true
    [ -n "$found" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$found" ] || fail "the installed sigtelinje.exe showed no window"
kill -0 "$pid" 2>/dev/null || fail "the installed sigtelinje.exe ended on its own"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

SIGTELINJE_WINE_WAIT=1 "${wine[@]}" "$target/uninstall.exe" /S || fail "the silent uninstall failed"
[ ! -e "$target" ] || fail "left behind after uninstalling: $(cd "$target" && find . | sort | tr '\n' ' ')"
[ -z "$(ls -A "$programs")" ] || fail "left in the parent folder: $(ls -A "$programs")"
[ ! -e "$menu" ] || fail "the Start-menu folder is left: $(ls "$menu")"
! registered UninstallString >/dev/null || fail "the uninstaller is still registered"
echo "setup.exe under Wine: installs, converts, shows its window, uninstalls cleanly"
