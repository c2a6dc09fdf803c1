; Installer of the Tapwrite Screen Saver for 64-bit Windows: the saver goes into
; the system folder, where the screen-saver settings list it, and its assets
; into the folder it reads them from. Runs silently with /S.
;   makensis -DSAVER=<tapwrite.scr> -DASSETS=<tapwritefiles folder> -DOUTFILE=<setup.exe> tapwrite.nsi
; A 64-bit installer: its $SYSDIR is the real System32, with no redirection to
; SysWOW64, and its registry view is the 64-bit one.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Tapwrite Screen Saver"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tapwrite Screen Saver"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Fixed: the saver looks for its assets exactly here.
InstallDir "C:\Program Files\Korvane\Tapwrite Screensaver"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "5.0.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Korvane"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "5.0"
VIAddVersionKey "ProductVersion" "5.0"
VIAddVersionKey "LegalCopyright" "Korvane"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetOutPath "$INSTDIR\tapwritefiles"
  File "${ASSETS}/typingPaper.bmp"
  File "${ASSETS}/gtw.ttf"
  File "${ASSETS}/OFL.txt"
  SetOutPath "$SYSDIR"
  File "/oname=tapwrite.scr" "${SAVER}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "5.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SYSDIR\tapwrite.scr"
  Delete "$INSTDIR\tapwritefiles\typingPaper.bmp"
  Delete "$INSTDIR\tapwritefiles\gtw.ttf"
  Delete "$INSTDIR\tapwritefiles\OFL.txt"
  RMDir "$INSTDIR\tapwritefiles"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The publisher's folder only when nothing else of it is left.
  RMDir "$INSTDIR\.."
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
