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
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sigtelinje"

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
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

; SHCTX is HKLM for a per-machine install and HKCU for a per-user one, as $SMPROGRAMS
; is the common or the user's own Start menu.
Section "Sigtelinje"
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
SectionEnd
