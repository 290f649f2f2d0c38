; The Clipvane installer, made by scripts/package-windows.sh, which passes VERSION,
; OUT_FILE and LISTS (the folder of the generated file lists install.nsh and
; uninstall.nsh).
;
; The program keeps its settings, its list and the converted videos beside itself,
; so it goes into the user's own programs folder, which the user can write to,
; rather than into Program Files. The uninstaller removes exactly the files the
; installer put there: incoming, MP4.ini, list.log and whatever else the user made
; in the folder stay.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Clipvane"

Name "Clipvane ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Clipvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_FINISHPAGE_RUN "$INSTDIR\clipvane.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Korean"

Section "Clipvane"
  SetShellVarContext current
  !include "${LISTS}/install.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Clipvane"
  CreateShortcut "$SMPROGRAMS\Clipvane\Clipvane.lnk" "$INSTDIR\clipvane.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Clipvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\clipvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !include "${LISTS}/uninstall.nsh"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when nothing of the user's is left in it.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Clipvane\Clipvane.lnk"
  RMDir "$SMPROGRAMS\Clipvane"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
