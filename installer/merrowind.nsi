; The per-user installer of Merrowind, made by scripts/package:
;   makensis -DBUILD=<generated folder> -DFILES=<release folder> -DOUTPUT=<folder> merrowind.nsi
; BUILD holds version.h and program.ico from the Windows build; FILES holds
; what the zip holds (merrowind.exe, README.md, NOTICE.txt).
Unicode true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!searchparse /file "${BUILD}/version.h" '#define MERROWIND_VERSION "' VERSION '"'
!searchparse /file "${BUILD}/version.h" '#define MERROWIND_VERSION_NUMBERS ' V1 ',' V2 ',' V3 ',' V4

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Merrowind"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CATALOGUE_KEY "Software\Tolvane\Merrowind"
; Where the program keeps its index files: the application-data folder.
!define INDEX_FOLDER "$APPDATA\Tolvane Software\Merrowind"

Name "Merrowind"
OutFile "${OUTPUT}/merrowind-setup-${VERSION}.exe"
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
!include LogicLib.nsh

!define MUI_ICON "${BUILD}/program.ico"
!define MUI_UNICON "${BUILD}/program.ico"

Var SignIn      ; 1: a fortune at each sign-in (the Run value)
Var SignInBox
Var Purge       ; 1: the uninstaller also removes the settings and index files
Var PurgeBox

Page custom OptionsPage OptionsPageLeave
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
FunctionEnd

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
    SetOutPath "$INSTDIR"
    File "${FILES}/merrowind.exe"
    File "${FILES}/README.md"
    File "${FILES}/NOTICE.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
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

; Only what the installer put there: the folder itself goes only when empty,
; so cookie files and a Fortune.txt kept in it stay.
Section "Uninstall"
    Delete "$INSTDIR\merrowind.exe"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\NOTICE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Merrowind.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "Merrowind"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

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
