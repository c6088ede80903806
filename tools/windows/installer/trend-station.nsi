; The Windows installer of ТРЕНД-СТАНЦИЯ. scripts/package-windows builds it:
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DFILES=<folder> -DOUTFILE=<setup.exe> trend-station.nsi
;
; FILES holds what is installed: trend-station.exe, trend-record.exe, trend-file.exe, devcon.exe,
; trend-station.ico, README.txt and LICENSE.txt (the portable zip carries the same).
;
; A 64-bit installer: the programs are 64-bit, and it sees the real Program Files, System32 and
; registry without redirection.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "give the version: -DVERSION=1.0.0"
!endif
!ifndef FILES
  !error "give the folder of the files to install: -DFILES=folder"
!endif
!ifndef OUTFILE
  !error "give the installer's name: -DOUTFILE=setup.exe"
!endif

!define PRODUCT "ТРЕНД-СТАНЦИЯ"
; Held by trend-station.exe and trend-record.exe while they run.
!define RUNNING_MUTEX "Global\trend-station-running"
!define PUBLISHER "ТРЕНД-СТАНЦИЯ developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\trend-station"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; A newer version goes where the older one is, over it.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "© 2026 ${PUBLISHER}"

!define MUI_ICON "${FILES}\trend-station.ico"
!define MUI_UNICON "${FILES}\trend-station.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ChosenFolderLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; Russian first: it is the program's language, and the one a Windows in neither language gets.
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString ProgramSection ${LANG_RUSSIAN} "Программа"
LangString ProgramSection ${LANG_ENGLISH} "Program"
LangString DesktopSection ${LANG_RUSSIAN} "Ярлык на рабочем столе"
LangString DesktopSection ${LANG_ENGLISH} "Desktop shortcut"
LangString DriverMissing ${LANG_RUSSIAN} "Библиотека драйвера D2XX (ftd2xx.dll) не найдена в системной папке Windows.$\r$\n$\r$\nБез неё программа не увидит прибор. Библиотеку ставит драйвер FTDI D2XX для USB-моста прибора: Windows обычно ставит его сама при первом подключении прибора, иначе его можно взять на сайте FTDI.$\r$\n$\r$\nУстановка продолжается; программа найдёт прибор, как только драйвер будет установлен."
LangString DriverMissing ${LANG_ENGLISH} "The D2XX driver library (ftd2xx.dll) was not found in the Windows system folder.$\r$\n$\r$\nWithout it the program cannot see the instrument. The library comes with the FTDI D2XX driver for the instrument's USB bridge: Windows usually installs it by itself when the instrument is first plugged in, or it can be had from FTDI's web site.$\r$\n$\r$\nSetup goes on; the program finds the instrument as soon as the driver is installed."
LangString DriverMissingLine ${LANG_RUSSIAN} "ftd2xx.dll нет в системной папке: прибор будет виден, когда будет установлен драйвер FTDI D2XX."
LangString DriverMissingLine ${LANG_ENGLISH} "ftd2xx.dll is not in the system folder: the instrument shows once the FTDI D2XX driver is installed."
LangString FolderTaken ${LANG_RUSSIAN} "Папка $INSTDIR не пуста и не содержит прежней установки программы. Выберите пустую папку."
LangString FolderTaken ${LANG_ENGLISH} "The folder $INSTDIR is not empty and holds no earlier install of the program. Choose an empty folder."
LangString RightsNotSet ${LANG_RUSSIAN} "Папке $INSTDIR не удалось дать права, как у Program Files (изменять могут только администраторы). Выберите папку на диске NTFS."
LangString RightsNotSet ${LANG_ENGLISH} "The folder $INSTDIR could not be given the rights of Program Files (only administrators may change it). Choose a folder on an NTFS drive."
LangString ProgramRunning ${LANG_RUSSIAN} "Программа ${PRODUCT} (trend-station.exe или trend-record.exe) запущена. Закройте её и нажмите «Повтор»."
LangString ProgramRunning ${LANG_ENGLISH} "${PRODUCT} (trend-station.exe or trend-record.exe) is running. Close it and press Retry."
LangString DataKept ${LANG_RUSSIAN} "Данные пользователя в %LOCALAPPDATA%\trend-station сохранены."
LangString DataKept ${LANG_ENGLISH} "The user's data in %LOCALAPPDATA%\trend-station is kept."

; The files of one install, named once: the install puts exactly these into the folder and the
; uninstaller takes exactly these away, so a file the user keeps there is never touched.
!macro OwnFiles Do
  !insertmacro ${Do} "trend-station.exe"
  !insertmacro ${Do} "trend-record.exe"
  !insertmacro ${Do} "trend-file.exe"
  ; Beside the program, which starts it from its own folder only.
  !insertmacro ${Do} "devcon.exe"
  !insertmacro ${Do} "trend-station.ico"
  !insertmacro ${Do} "README.txt"
  !insertmacro ${Do} "LICENSE.txt"
!macroend
!macro InstallFile name
  File "${FILES}\${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

; Whether the program may go into $INSTDIR: the folder is missing or empty, or holds an earlier
; install of ours (the folder our uninstall entry names, with our uninstaller in it). A folder of
; the user's files is never ours, whatever names they bear. $R0: 1 or 0.
Function FolderIsFree
  StrCpy $R0 1
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 == $INSTDIR
  ${AndIf} ${FileExists} "$INSTDIR\uninstall.exe"
    Return
  ${EndIf}
  FindFirst $R1 $R2 "$INSTDIR\*"
  ${DoWhile} $R2 != ""
    ${If} $R2 != "."
    ${AndIf} $R2 != ".."
      StrCpy $R0 0
      ${Break}
    ${EndIf}
    FindNext $R1 $R2
  ${Loop}
  FindClose $R1
FunctionEnd

; A chosen folder that holds other files gets a folder of the program's own inside it. $R0: 0
; when even that one is taken.
Function ChooseFolder
  Call FolderIsFree
  ${If} $R0 == 0
    StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
    Call FolderIsFree
  ${EndIf}
FunctionEnd

Function ChosenFolderLeave
  Call ChooseFolder
  ${If} $R0 == 0
    MessageBox MB_OK|MB_ICONSTOP "$(FolderTaken)"
    Abort
  ${EndIf}
FunctionEnd

; Asks for running programs of ours to be closed (the mutex they hold); silently, or when the
; user cancels, ends with status 3 before anything is replaced or removed.
!macro ProgramsClosedFunction un
Function ${un}ProgramsClosed
  retry:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p.R1 ?e'
    Pop $R2
    ${If} $R1 != 0
      System::Call 'kernel32::CloseHandle(p R1)'
    ${ElseIf} $R2 != 5
      ; Not there; ERROR_ACCESS_DENIED (5) would mean another user's program holds it.
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Quit
FunctionEnd
!macroend
!insertmacro ProgramsClosedFunction ""
!insertmacro ProgramsClosedFunction "un."

Function .onInit
  Call ProgramsClosed
  ; /D= or the folder of an earlier install, checked as the folder page checks a typed one.
  ${If} ${Silent}
    Call ChooseFolder
    ${If} $R0 == 0
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.ProgramsClosed
FunctionEnd

; The folder gets the rights Program Files gives its folders, whatever its parent's are: SYSTEM
; and administrators change it, users read and run; nothing inherited. Otherwise, outside
; Program Files, any user who may change the parent could replace a program an administrator
; runs. A folder that cannot take them (not NTFS) is refused.
Function ProtectFolder
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", i 1, *p .R1, p 0) i .R2'
  ${If} $R2 == 0
    StrCpy $R0 0
    Return
  ${EndIf}
  System::Call 'advapi32::GetSecurityDescriptorDacl(p R1, *i .R3, *p .R4, *i .R5) i .R2'
  ; SE_FILE_OBJECT 1; DACL_SECURITY_INFORMATION 4 | PROTECTED_DACL_SECURITY_INFORMATION 0x80000000
  System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000004, p 0, p 0, p R4, p 0) i .R2'
  System::Call 'kernel32::LocalFree(p R1)'
  ${If} $R2 == 0
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 0
  ${EndIf}
FunctionEnd

Section "!$(ProgramSection)" SectionProgram
  SectionIn RO
  SetShellVarContext all
  CreateDirectory "$INSTDIR"
  Call ProtectFolder
  ${If} $R0 == 0
    MessageBox MB_OK|MB_ICONSTOP "$(RightsNotSet)" /SD IDOK
    RMDir "$INSTDIR"
    SetErrorLevel 4
    Quit
  ${EndIf}
  SetOutPath "$INSTDIR"
  !insertmacro OwnFiles InstallFile
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Started from the menu the program keeps its settings in the user's own data folder.
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\trend-station.exe" "--user-data" \
                 "$INSTDIR\trend-station.ico" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trend-station.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The program loads the driver library from System32 only; without it the
  ; instrument is never found, but nothing here depends on it.
  IfFileExists "$SYSDIR\ftd2xx.dll" driver_found
    DetailPrint "$(DriverMissingLine)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(DriverMissing)" /SD IDOK
  driver_found:
SectionEnd

Section "$(DesktopSection)" SectionDesktop
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\trend-station.exe" "--user-data" \
                 "$INSTDIR\trend-station.ico" 0
SectionEnd

; Only what was installed goes, by the list the install used: the folder stays if the user put
; anything else in it (RMDir without /r removes only an empty one), and the user's data folder is
; never touched.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  !insertmacro OwnFiles RemoveFile
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DetailPrint "$(DataKept)"
SectionEnd
