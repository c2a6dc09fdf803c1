; Installer of the Tapwrite Screen Saver for 64-bit Windows: the saver goes into
; the system folder, where the screen-saver settings list it, and its assets
; into the folder it reads them from, with the licences and versions of the
; libraries the saver links. Runs silently with /S, and then opens
; nothing. Run again over an installation, it replaces it in place.
;   makensis -DSAVER=<tapwrite.scr> -DASSETS=<tapwritefiles folder> -DICON=<tapwrite.ico>
;            -DWELCOME_PICTURE=<164x314 .bmp> -DOUTFILE=<setup.exe> [-DSIGN=<signer>] tapwrite.nsi
; With SIGN, that command signs the uninstaller before it is packed and the
; installer once it is written, each given as its one argument; a failure
; stops the build.
; A 64-bit installer: its $SYSDIR is the real System32, with no redirection to
; SysWOW64, and its registry view is the 64-bit one.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; Sharp on scaled displays, and no compatibility shims.
ManifestDPIAware true
ManifestSupportedOS all
; No build times stored with any file, the pages' picture included: the same
; sources give the same installer.
SetDateSave off

!ifdef SIGN
!uninstfinalize '"${SIGN}" "%1"' = 0
!finalize '"${SIGN}" "%1"' = 0
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"

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

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WELCOME_PICTURE}"
; The box is ticked: what Windows itself does when a .scr is installed from
; Explorer. A silent install shows no page, so it opens nothing.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings with Tapwrite selected"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $SYSDIR\tapwrite.scr'
FunctionEnd

Section "Install"
  ; Files are overwritten in place and the entry below rewritten under the same
  ; key, so an installation over an earlier one leaves one of each.
  SetOverwrite on
  SetOutPath "$INSTDIR\tapwritefiles"
  File "${ASSETS}/typingPaper.bmp"
  File "${ASSETS}/gtw.ttf"
  File "${ASSETS}/OFL.txt"
  ; What the saver bundles: each library's licence, and their versions.
  File "${ASSETS}/*-licence.txt"
  File "${ASSETS}/libraries.txt"
  SetOutPath "$SYSDIR"
  File "/oname=tapwrite.scr" "${SAVER}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The size Add/Remove shows, in KiB: the folder and the saver in System32.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=tapwrite.scr /S=0K /G=0" $3 $1 $2
  IntOp $0 $0 + $3

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "5.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\tapwrite.scr,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
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
  Delete "$INSTDIR\tapwritefiles\*-licence.txt"
  Delete "$INSTDIR\tapwritefiles\libraries.txt"
  RMDir "$INSTDIR\tapwritefiles"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The publisher's folder only when nothing else of it is left.
  RMDir "$INSTDIR\.."
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
