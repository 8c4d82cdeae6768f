; The installer: for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Tavrok, with a Start-menu entry, an entry in the
; list of installed programs and an uninstaller that removes all it put
; there. "/S" installs or uninstalls silently.
; makensis -DVERSION=V -DSTAGE=DIR -DICON=FILE -DOUT=FILE installer.nsi
; (STAGE holds the zip's files).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS Win10

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrok"

Name "Tavrok ${VERSION}"
OutFile "${OUT}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Tavrok"
LicenseData "${STAGE}\LICENSE.txt"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\tavrok.exe"
  File "${STAGE}\tavrok-sim.exe"
  File "${STAGE}\tavrok-preview.exe"
  File "${STAGE}\TavrokDF.dat"
  File "${STAGE}\TavrokIN.dat"
  File "${STAGE}\TavrokPT.dat"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tavrok.lnk" "$INSTDIR\tavrok.exe" "" "$INSTDIR\tavrok.exe" 0
  WriteRegStr HKCU "${KEY}" "DisplayName" "Tavrok"
  WriteRegStr HKCU "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${KEY}" "Publisher" "The Tavrok team"
  WriteRegStr HKCU "${KEY}" "DisplayIcon" "$INSTDIR\tavrok.exe"
  WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\tavrok.exe"
  Delete "$INSTDIR\tavrok-sim.exe"
  Delete "$INSTDIR\tavrok-preview.exe"
  Delete "$INSTDIR\TavrokDF.dat"
  Delete "$INSTDIR\TavrokIN.dat"
  Delete "$INSTDIR\TavrokPT.dat"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tavrok.lnk"
  DeleteRegKey HKCU "${KEY}"
SectionEnd
