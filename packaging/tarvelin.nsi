; The per-user installer of Tarvelin: no administrator rights, into %LOCALAPPDATA%\Programs\Tarvelin,
; with a Start-menu shortcut, an entry in the list of installed programs and an uninstaller that
; removes all three. The banner cache in %APPDATA%\Corvanix\Ostrel belongs to the user and stays.
; Built by make-packages.sh, which defines VERSION, SHORT_VERSION, EXE, ICON and OUTFILE, and SIGN,
; the command that signs a file in place, when the release is signed.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define DISPLAY_NAME "Tarvelin FREE"
!define PUBLISHER "Corvanix"
!define SITE "http://www.corvanix.example"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvelin"
!define UNINSTALLER "uninstall.exe"
; The shortcut bears the name of the entry in "Apps & features".
!define SHORTCUT "$SMPROGRAMS\${DISPLAY_NAME}.lnk"
; The name earlier releases gave the shortcut: removed on install and uninstall.
!define OLD_SHORTCUT "$SMPROGRAMS\Tarvelin.lnk"

!ifdef SIGN
  ; The uninstaller is made here and written out as it is: signed before it goes into the installer.
  !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

Name "${DISPLAY_NAME} ${SHORT_VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tarvelin"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${DISPLAY_NAME} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductName" "Tarvelin"
VIAddVersionKey /LANG=1049 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка программы Tarvelin"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "© ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarvelin.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить Tarvelin"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Tarvelin"
  SetOutPath "$INSTDIR"
  File "/oname=Tarvelin.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  Delete "${OLD_SHORTCUT}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Tarvelin.exe" "" "$INSTDIR\Tarvelin.exe" 0 \
    SW_SHOWNORMAL "" "Программа для генерации паролей"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${SITE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tarvelin.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as the list of installed programs shows it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; A running copy holds its file: the entry stays until the program itself is gone, so that
  ; nothing is left without a way to remove it.
  ${Do}
    ClearErrors
    Delete "$INSTDIR\Tarvelin.exe"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Не удалось удалить $INSTDIR\Tarvelin.exe. Закройте Tarvelin и нажмите «Повторить»." \
      /SD IDCANCEL IDRETRY retry
    Abort "Tarvelin не удалён: программа запущена."
    retry:
  ${Loop}
  Delete "${SHORTCUT}"
  Delete "${OLD_SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only an empty folder goes: the user may have chosen one that holds other files.
  RMDir "$INSTDIR"
SectionEnd
