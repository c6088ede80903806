; The Windows installer of ТРЕНД-СТАНЦИЯ. scripts/package-windows builds it:
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DFILES=<folder> -DOUTFILE=<setup.exe> trend-station.nsi
;
; FILES holds what is installed: trend-station.exe, trend-record.exe, devcon.exe,
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
!define PUBLISHER "ТРЕНД-СТАНЦИЯ developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\trend-station"

!include MUI2.nsh
!include FileFunc.nsh

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
LangString DataKept ${LANG_RUSSIAN} "Данные пользователя в %LOCALAPPDATA%\trend-station сохранены."
LangString DataKept ${LANG_ENGLISH} "The user's data in %LOCALAPPDATA%\trend-station is kept."

Section "!$(ProgramSection)" SectionProgram
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${FILES}\trend-station.exe"
  File "${FILES}\trend-record.exe"
  ; Beside the program: starting it by its bare name finds it here first.
  File "${FILES}\devcon.exe"
  File "${FILES}\trend-station.ico"
  File "${FILES}\README.txt"
  File "${FILES}\LICENSE.txt"
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

  ; The program loads the driver library from System32 (or its own folder); without it the
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

; Only what was installed goes: the folder stays if the user put anything else in it, and the
; user's data folder is never touched.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$INSTDIR\trend-station.exe"
  Delete "$INSTDIR\trend-record.exe"
  Delete "$INSTDIR\devcon.exe"
  Delete "$INSTDIR\trend-station.ico"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DetailPrint "$(DataKept)"
SectionEnd
