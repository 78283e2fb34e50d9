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
; Started through Explorer, which runs as the signed-in user: the installer itself may run
; elevated, and Sigtelinje would otherwise run elevated with it.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsTheUser
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The pages in the system's language where it is one of these, else in the first.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Danish"

LangString AlreadyInstalled ${LANG_ENGLISH} "${PRODUCT} is already installed"
LangString AlreadyInstalled ${LANG_DANISH} "${PRODUCT} er allerede installeret"
LangString ForTheUser ${LANG_ENGLISH} "for the current user alone"
LangString ForTheUser ${LANG_DANISH} "for den aktuelle bruger alene"
LangString ForAllUsers ${LANG_ENGLISH} "for all users"
LangString ForAllUsers ${LANG_DANISH} "for alle brugere"
LangString UninstallFirst ${LANG_ENGLISH} \
    "Uninstall it first (Settings, Apps), then run this setup again."
LangString UninstallFirst ${LANG_DANISH} \
    "Afinstallér den først (Indstillinger, Apps), og kør så denne installation igen."
LangString ItsUninstaller ${LANG_ENGLISH} "Its uninstaller:"
LangString ItsUninstaller ${LANG_DANISH} "Dens afinstallationsprogram:"

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
    StrCpy $2 "$(ForTheUser)"
    Goto check
perUser:
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "UninstallString"
    StrCpy $2 "$(ForAllUsers)"
check:
    StrCmp $1 "" done
    StrCpy $3 "$(AlreadyInstalled) $2. $(UninstallFirst)"
    MessageBox MB_OK|MB_ICONSTOP "$3$\r$\n$\r$\n$(ItsUninstaller) $1" /SD IDOK
    SetErrorLevel 3
    Quit
done:
FunctionEnd

Function StartAsTheUser
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\sigtelinje.exe"'
FunctionEnd

; A per-machine install outside Program Files gets the rights Program Files has: administrators
; and the system change it, users read and run it. Without this the folder inherits its
; parent's rights, and where users may write there they could replace a DLL that an
; administrator's Sigtelinje then loads. By well-known SIDs, which read alike in every language.
; icacls by its full path: a bare name is looked for first in the folder of the program that
; starts it and then in the current folder, which is $INSTDIR here, and a folder that already
; existed may hold an icacls.exe of anyone's. This installer is a 64-bit program, so $SYSDIR
; is the real System32 (a 32-bit one would be sent to SysWOW64, which has icacls too).
Function RestrictMachineFolder
    StrCmp $MultiUser.InstallMode "AllUsers" 0 done
    StrLen $0 "$PROGRAMFILES64\"
    StrCpy $1 "$INSTDIR" $0
    StrCmp $1 "$PROGRAMFILES64\" done
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r \
        /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /T /Q'
    Pop $0
    StrCmp $0 "0" done
    DetailPrint "icacls: $0"
    SetErrors
done:
FunctionEnd

; 1 when this uninstaller's own folder is the one registered, in the mode that registered it.
Var OwnEntry

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
    ; MultiUser reads HKLM first, and a per-user uninstaller beside a per-machine install would
    ; remove the per-machine entry and shortcuts. The entry whose folder is this uninstaller's
    ; own decides: the user's, then the machine's; with neither, only the files go.
    StrCpy $OwnEntry 1
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCmp $0 $INSTDIR 0 machine
    Call un.MultiUser.InstallMode.CurrentUser
    Goto done
machine:
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    StrCmp $0 $INSTDIR 0 neither
    Call un.MultiUser.InstallMode.AllUsers
    Goto done
neither:
    StrCpy $OwnEntry 0
done:
FunctionEnd

; SHCTX is HKLM for a per-machine install and HKCU for a per-user one, as $SMPROGRAMS
; is the common or the user's own Start menu.
Section "Sigtelinje"
    ; Again: the mode page may have changed the mode since .onInit.
    Call RefuseOtherMode
    !insertmacro SigtelinjeInstallFiles
    File "/oname=sigtelinje.ico" "${ICON}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    Call RestrictMachineFolder

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

    StrCmp $OwnEntry 1 0 done
    Delete "$SMPROGRAMS\${PRODUCT}\Sigtelinje.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Sigtelinje text editor.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ; A user's own Uninstall key often exists only for this program: gone with it when empty.
    DeleteRegKey /ifempty SHCTX "${UNINSTALLS}"
done:
SectionEnd
