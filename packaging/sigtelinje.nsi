; SPDX-FileCopyrightText: 2026 Sigtelinje developers
; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer. Built by `make windows-package` with makensis, which defines
; VERSION, FILES (the file list made from the staged install), ICON, LICENSE (the
; program's licence, shown on the licence page) and OUTFILE.
; Installs for the current user alone, without administrator rights, into
; %LOCALAPPDATA%\Programs\Sigtelinje, or for all users into Program Files\Sigtelinje.
; Run interactively it asks which; /CurrentUser or /AllUsers chooses on the command line
; (an administrator gets the per-machine install unless told otherwise). /S installs
; silently and /D=<folder> (last, unquoted) picks another folder.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Sigtelinje"
!define UNINSTALLS "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALLS}\Sigtelinje"

; A user without administrator rights gets no elevation prompt, and the per-user install.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
; The uninstaller learns the mode it was installed in from here: HKLM first, then HKCU.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\sigtelinje.exe"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Sigtelinje developers, GPL-3.0-or-later"

Function .onInit
    SetRegView 64
    ; MultiUser puts the folder of the mode it picks into $INSTDIR; /D= wins over that.
    StrCpy $0 $INSTDIR
    !insertmacro MULTIUSER_INIT
    StrCmp $0 "" +2
    StrCpy $INSTDIR $0
    Call RefuseOtherMode
FunctionEnd

; An install in the other mode (per user against per machine) is refused, not removed: it may
; belong to another user, or need rights this run does not have. Add/Remove Programs would
; otherwise list Sigtelinje twice, and the Start menu hold two folders. Exit code 3.
Function RefuseOtherMode
    StrCmp $MultiUser.InstallMode "AllUsers" 0 perUser
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "UninstallString"
    StrCpy $2 "for the current user alone"
    Goto check
perUser:
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "UninstallString"
    StrCpy $2 "for all users"
check:
    StrCmp $1 "" done
    StrCpy $3 "${PRODUCT} is already installed $2. Uninstall it first (Settings, Apps), then run"
    MessageBox MB_OK|MB_ICONSTOP "$3 this setup again.$\r$\n$\r$\nIts uninstaller: $1" /SD IDOK
    SetErrorLevel 3
    Quit
done:
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

; SHCTX is HKLM for a per-machine install and HKCU for a per-user one, as $SMPROGRAMS
; is the common or the user's own Start menu.
Section "Sigtelinje"
    ; Again: the mode page may have changed the mode since .onInit.
    Call RefuseOtherMode
    !insertmacro SigtelinjeInstallFiles
    File "/oname=sigtelinje.ico" "${ICON}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Sigtelinje.lnk" "$INSTDIR\sigtelinje.exe" "" \
        "$INSTDIR\sigtelinje.ico"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Sigtelinje text editor.lnk" \
        "$INSTDIR\sigtelinje-editor.exe" "" "$INSTDIR\sigtelinje.ico"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Sigtelinje developers"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sigtelinje.ico"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KiB, as Add/Remove Programs shows it.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    !insertmacro SigtelinjeRemoveFiles
    Delete "$INSTDIR\sigtelinje.ico"
    Delete "$INSTDIR\uninstall.exe"
    ; Only if empty: files the user put there stay, and so does the folder.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}\Sigtelinje.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Sigtelinje text editor.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ; A user's own Uninstall key often exists only for this program: gone with it when empty.
    DeleteRegKey /ifempty SHCTX "${UNINSTALLS}"
SectionEnd
