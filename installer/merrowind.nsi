; The per-user installer of Merrowind, made by scripts/package once per
; architecture:
;   makensis -DARCH=x86|x64 -DBUILD=<generated folder> -DFILES=<release folder> -DOUTPUT=<folder> [-DSIGN=<command>] merrowind.nsi
; BUILD holds version.h and program.ico from that architecture's Windows
; build; FILES holds what its zip holds (merrowind.exe, README.md, NOTICE.txt).
; Both installers use the same folder, entry and values, so either upgrades
; the other in place. Nothing they touch is redirected for a 32-bit process
; on 64-bit Windows: HKCU\Software\Microsoft\Windows\CurrentVersion (Run,
; Uninstall) and the program's own key are shared by both registry views, and
; the folders are the user's own.
!if "${ARCH}" == "x64"
    Target amd64-unicode
!else if "${ARCH}" == "x86"
    Target x86-unicode
!else
    !error "ARCH must be x86 or x64"
!endif
RequestExecutionLevel user
; A File that cannot be written (the program running, a folder the user
; cannot write) stops the install before anything is recorded: Retry or
; Cancel when interactive, Cancel (a non-zero exit code) when silent. The
; default would offer Ignore, and a silent install would answer it.
AllowSkipFiles off
SetCompressor /SOLID lzma
; SIGN, given, signs a program in place: the uninstaller is signed as it is
; written, before it is packed into the installer (which is signed after).
!ifdef SIGN
    !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

!searchparse /file "${BUILD}/version.h" '#define MERROWIND_VERSION "' VERSION '"'
!searchparse /file "${BUILD}/version.h" '#define MERROWIND_VERSION_NUMBERS ' V1 ',' V2 ',' V3 ',' V4

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Merrowind"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CATALOGUE_KEY "Software\Tolvane\Merrowind"
; Where the program keeps its index files: the application-data folder.
!define INDEX_FOLDER "$APPDATA\Tolvane Software\Merrowind"

Name "Merrowind"
OutFile "${OUTPUT}/merrowind-setup-${VERSION}-${ARCH}.exe"
InstallDir "$LOCALAPPDATA\Programs\Merrowind"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
; Otherwise the foot of every page names the installer's maker.
BrandingText "Tolvane"

VIProductVersion "${V1}.${V2}.${V3}.${V4}"
VIAddVersionKey /LANG=1033 "CompanyName" "Tolvane"
VIAddVersionKey /LANG=1033 "ProductName" "Merrowind"
VIAddVersionKey /LANG=1033 "FileDescription" "Merrowind Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

; No copyright line of our own to state in the version resource.
!pragma warning disable 9100

!include MUI2.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${BUILD}/program.ico"
!define MUI_UNICON "${BUILD}/program.ico"

Var SignIn      ; 1: a fortune at each sign-in (the Run value)
Var OldDir      ; the folder of the copy installed before ("" if none)
Var SignInBox
Var Purge       ; 1: the uninstaller also removes the settings and index files
Var PurgeBox

; The folder the command line's /D= names, as given. NSIS replaces a folder
; it cannot use with the default one before .onInit, and a package manager
; that named the folder would never learn of it.
Var Named

Page custom OptionsPage OptionsPageLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The uninstaller's own page starts the work, and its button says so.
!macro NextButtonSays text
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:${text}"
!macroend

Function .onInit
    ReadRegStr $OldDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ; An upgrade keeps the choice made before; /SIGNIN asks for the value.
    StrCpy $SignIn 0
    ReadRegStr $0 HKCU "${RUN_KEY}" "Merrowind"
    ${If} $0 != ""
        StrCpy $SignIn 1
    ${EndIf}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/SIGNIN" $1
    ${IfNot} ${Errors}
        StrCpy $SignIn 1
    ${EndIf}
    ; /D= (upper case, as NSIS reads it) is always last, unquoted, and not
    ; in $CMDLINE: read it from the process's own command line.
    System::Call 'kernel32::GetCommandLineW() w .r0'
    ClearErrors
    ${WordFindS} $0 " /D=" "E+1}" $Named
    ${If} ${Errors}
        StrCpy $Named ""
    ${Else}
        StrCpy $INSTDIR $Named
    ${EndIf}
FunctionEnd

; $R9: why $INSTDIR cannot take the program ("" when it can). It can when it
; is a folder that is empty or holds an earlier copy (merrowind.exe, or
; only the "Fortune.txt" its uninstaller left), or a folder that can be made. Any other folder is the user's own: the
; installer would overwrite its README.md, and the uninstaller delete it.
Function CheckFolder
    StrCpy $R9 ""
    ${If} ${FileExists} "$INSTDIR\*.*"
        ${If} ${FileExists} "$INSTDIR\merrowind.exe"
            Return
        ${EndIf}
        FindFirst $R7 $R8 "$INSTDIR\*.*"
        ${DoWhile} $R8 != ""
            ; A "Fortune.txt" alone is what an earlier copy's uninstaller
            ; leaves of the user's: the folder is that copy's still.
            ${If} $R8 != "."
            ${AndIf} $R8 != ".."
            ${AndIf} $R8 != "Fortune.txt"
                StrCpy $R9 "$INSTDIR already holds files that are not Merrowind's. Choose an empty folder, or the folder of an installed Merrowind."
                ${Break}
            ${EndIf}
            FindNext $R7 $R8
        ${Loop}
        FindClose $R7
        Return
    ${EndIf}
    ; Not there yet: it can be made when the nearest part of it that is
    ; there is a folder.
    StrCpy $R8 $INSTDIR
    ${Do}
        ${If} $R8 == ""   ; past a drive that is not there, or a relative name
        ${OrIf} ${FileExists} "$R8\*.*"
            ${Break}
        ${ElseIf} ${FileExists} $R8
            ${Break}
        ${EndIf}
        ${GetParent} $R8 $R8
    ${Loop}
    ${If} $R8 != ""
    ${AndIf} ${FileExists} "$R8\*.*"
        Return
    ${EndIf}
    StrCpy $R9 "The folder $INSTDIR cannot be made. Choose another folder."
FunctionEnd

Function DirectoryLeave
    Call CheckFolder
    ${If} $R9 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION $R9
        Abort
    ${EndIf}
FunctionEnd

; $R2: 1 when the folders $R0 and $R1 are the same folder, however each is
; spelt (a mapped or subst drive, a junction, a short name, ".."), else 0.
; A file made in the one is looked for in the other; $R0 must exist.
!macro SameFolderFunction un
Function ${un}SameFolder
    StrCpy $R2 0
    ${If} $R1 == ""
        Return
    ${ElseIf} $R0 == $R1
        StrCpy $R2 1
        Return
    ${EndIf}
    System::Call 'kernel32::GetCurrentProcessId() i .R3'
    System::Call 'kernel32::GetTickCount() i .R4'
    StrCpy $R3 "~merrowind-$R3-$R4.tmp"
    ClearErrors
    FileOpen $R4 "$R0\$R3" w
    ${IfNot} ${Errors}
        FileClose $R4
        ${If} ${FileExists} "$R1\$R3"
            StrCpy $R2 1
        ${EndIf}
        Delete "$R0\$R3"
    ${EndIf}
FunctionEnd
!macroend
!insertmacro SameFolderFunction ""
!insertmacro SameFolderFunction "un."

Function OptionsPage
    !insertmacro MUI_HEADER_TEXT "Options" "Choose when Merrowind shows a fortune."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateCheckbox} 0 0 100% 12u "Show a fortune when I sign in"
    Pop $SignInBox
    ${NSD_SetState} $SignInBox $SignIn
    ${NSD_CreateLabel} 12u 16u -24u 24u "Merrowind then starts each time you sign in to Windows.$\r$\nYou can always start it from the Start menu."
    Pop $0
    nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
    ${NSD_GetState} $SignInBox $SignIn
FunctionEnd

Section
    ; Silently no page has checked the folder; nothing is written before.
    Call CheckFolder
    ${If} $R9 != ""
        MessageBox MB_OK|MB_ICONSTOP $R9 /SD IDOK
        Abort $R9
    ${EndIf}
    SetOutPath "$INSTDIR"
    File "${FILES}/merrowind.exe"
    File "${FILES}/README.md"
    File "${FILES}/NOTICE.txt"
    Call RemoveOldCopy
    ClearErrors
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ${If} ${Errors}
        Abort "Could not write $INSTDIR\uninstall.exe."
    ${EndIf}
    ; The output path is the shortcut's working folder: a Fortune.txt kept
    ; beside the program is found when it starts from the Start menu.
    CreateShortCut "$SMPROGRAMS\Merrowind.lnk" "$INSTDIR\merrowind.exe"

    ${If} $SignIn = 1
        WriteRegStr HKCU "${RUN_KEY}" "Merrowind" '"$INSTDIR\merrowind.exe"'
    ${Else}
        DeleteRegValue HKCU "${RUN_KEY}" "Merrowind"
    ${EndIf}

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Merrowind"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tolvane"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\merrowind.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    SectionGetSize 0 $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; An upgrade into another folder first removes the copy installed before,
; with its own uninstaller run silently in place (so it is done when it
; returns) and without /PURGE, so the settings and index files stay. It runs
; only once the new files are written: if either step fails, the old copy is
; left whole and still the installed one. The user's "Fortune.txt" beside
; the old program moves along: the new copy starts in the new folder and
; would not find it, and its first start would drop it from the list.
Function RemoveOldCopy
    ${If} $OldDir == ""
        Return
    ${EndIf}
    StrCpy $R0 $INSTDIR
    StrCpy $R1 $OldDir
    Call SameFolder
    ${If} $R2 = 1
        Return
    ${EndIf}
    ; Nothing to remove, or a folder its uninstaller would refuse.
    ${IfNot} ${FileExists} "$OldDir\uninstall.exe"
    ${OrIfNot} ${FileExists} "$OldDir\merrowind.exe"
        Return
    ${EndIf}
    StrCpy $0 ""
    ExecWait '"$OldDir\uninstall.exe" /S _?=$OldDir' $0
    ${If} $0 != 0
        SetOutPath "$TEMP"   ; the working folder, which could not be removed
        Delete "$INSTDIR\merrowind.exe"
        Delete "$INSTDIR\README.md"
        Delete "$INSTDIR\NOTICE.txt"
        RMDir "$INSTDIR"
        MessageBox MB_OK|MB_ICONSTOP "Merrowind installed in $OldDir could not be removed: it may be running. Close it and run Setup again." /SD IDOK
        Abort "Could not remove Merrowind from $OldDir."
    ${EndIf}
    ${IfNot} ${FileExists} "$INSTDIR\Fortune.txt"
        Rename "$OldDir\Fortune.txt" "$INSTDIR\Fortune.txt"
    ${EndIf}
    ; Run in place, the old uninstaller could not delete itself.
    Delete "$OldDir\uninstall.exe"
    RMDir "$OldDir"
FunctionEnd

; The uninstaller that runs is a copy of uninstall.exe in the temporary
; folder (or, started with _?=, uninstall.exe itself), and no program can
; delete itself. A hidden command prompt deletes it, and its folder when
; empty, once it has ended. Deletion at restart, the usual way, needs
; administrator rights.
Var Uninstalled
Function un.onUninstSuccess
    StrCpy $Uninstalled 1
    ${If} ${Silent}
        Call un.RemoveOwnCopy
    ${EndIf}
FunctionEnd

Function un.onUninstFailed
    ${If} ${Silent}
        Call un.RemoveOwnCopy
    ${EndIf}
FunctionEnd

Function un.onGUIEnd
    Call un.RemoveOwnCopy
FunctionEnd

Function un.RemoveOwnCopy
    ${If} $EXEDIR != $INSTDIR
        StrCpy $0 'if not exist "$EXEDIR" exit'    ; the copy, alone in its folder
    ${ElseIf} $Uninstalled == 1
        StrCpy $0 'if not exist "$EXEPATH" exit'   ; uninstall.exe, done
    ${Else}
        Return
    ${EndIf}
    SetOutPath "$TEMP"   ; its working folder, which it could not remove
    ExecShell "" "$SYSDIR\cmd.exe" '/c for /l %n in (1,1,60) do (ping -n 2 127.0.0.1 >nul & del "$EXEPATH" 2>nul & rd "$EXEDIR" 2>nul & $0)' SW_HIDE
FunctionEnd

Function un.onInit
    StrCpy $Purge 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/PURGE" $1
    ${IfNot} ${Errors}
        StrCpy $Purge 1
    ${EndIf}
FunctionEnd

Function un.OptionsPage
    !insertmacro MUI_HEADER_TEXT "Uninstall Merrowind" "Remove Merrowind from this computer."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "Merrowind will be removed from $INSTDIR.$\r$\nYour cookie files and any Fortune.txt stay where they are."
    Pop $0
    ${NSD_CreateCheckbox} 0 32u 100% 12u "Also remove my settings and index files"
    Pop $PurgeBox
    ${NSD_SetState} $PurgeBox $Purge
    !insertmacro NextButtonSays "&Uninstall"
    nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
    ${NSD_GetState} $PurgeBox $Purge
FunctionEnd

; $0: the program the Start-menu shortcut starts ("" when there is none).
Function un.ShortcutTarget
    StrCpy $0 ""
    ; IShellLinkW through IPersistFile::Load, then IShellLinkW::GetPath.
    System::Call 'ole32::CoCreateInstance(g "{00021401-0000-0000-C000-000000000046}", p 0, i 1, g "{000214F9-0000-0000-C000-000000000046}", *p .r1) i .r2'
    ${If} $2 = 0
        System::Call '$1->0(g "{0000010b-0000-0000-C000-000000000046}", *p .r3) i .r2'
        ${If} $2 = 0
            System::Call '$3->5(w "$SMPROGRAMS\Merrowind.lnk", i 0) i .r2'
            ${If} $2 = 0
                System::Call '$1->3(w .r0, i ${NSIS_MAX_STRLEN}, p 0, i 0)'
            ${EndIf}
            System::Call '$3->2()'
        ${EndIf}
        System::Call '$1->2()'
    ${EndIf}
FunctionEnd

; $R2: 1 when $R1 is the path of this copy's merrowind.exe, however spelt.
Function un.IsThisProgram
    StrCpy $R2 0
    ${GetFileName} $R1 $R3
    ${If} $R3 == "merrowind.exe"
        StrCpy $R0 $INSTDIR
        ${GetParent} $R1 $R1
        Call un.SameFolder
    ${EndIf}
FunctionEnd

; Only what the installer put there: the folder itself goes only when empty,
; so cookie files and a Fortune.txt kept in it stay.
Section "Uninstall"
    ; An uninstall.exe copied into some other folder, or left where the
    ; program is gone, finds no installation: the README.md or NOTICE.txt
    ; there are then the user's.
    ${IfNot} ${FileExists} "$INSTDIR\merrowind.exe"
        MessageBox MB_OK|MB_ICONSTOP "There is no Merrowind in $INSTDIR to remove." /SD IDOK
        Abort "No Merrowind in $INSTDIR."
    ${EndIf}
    ; The shortcut, sign-in value and entry go only when they name this
    ; folder: a second copy (an old folder left after an upgrade elsewhere)
    ; leaves those of the installed copy alone. Decided while the folder is
    ; there to look in.
    Call un.ShortcutTarget
    StrCpy $R1 $0
    Call un.IsThisProgram
    StrCpy $5 $R2
    ReadRegStr $R1 HKCU "${RUN_KEY}" "Merrowind"
    StrCpy $R1 $R1 -1 1   ; without its quotes
    Call un.IsThisProgram
    StrCpy $6 $R2
    ReadRegStr $R1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $R0 $INSTDIR
    Call un.SameFolder
    StrCpy $7 $R2
    ; A running program cannot be deleted. Stop before anything else goes,
    ; so that the copy stays whole and can be uninstalled once it is closed.
retry:
    Delete "$INSTDIR\merrowind.exe"
    ${If} ${FileExists} "$INSTDIR\merrowind.exe"
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Merrowind could not be removed from $INSTDIR: it may be running.$\r$\nClose it and click Retry." /SD IDCANCEL IDRETRY retry
        Abort "Could not remove $INSTDIR\merrowind.exe."
    ${EndIf}
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\NOTICE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ${If} $5 = 1
        Delete "$SMPROGRAMS\Merrowind.lnk"
    ${EndIf}
    ${If} $6 = 1
        DeleteRegValue HKCU "${RUN_KEY}" "Merrowind"
    ${EndIf}
    ${If} $7 = 1
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}

    ${If} $Purge = 1
        DeleteRegKey HKCU "${CATALOGUE_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Tolvane"
        ; Index files by their own names only: anything else in the folder is
        ; the user's, and keeps the folder.
        Delete "${INDEX_FOLDER}\Merrowind Index *.idx"
        RMDir "${INDEX_FOLDER}"
        RMDir "$APPDATA\Tolvane Software"
    ${EndIf}
SectionEnd
