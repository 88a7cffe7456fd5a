; The Windows setup program, made by scripts/build-windows with NSIS (Debian's nsis):
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder> -DICON=<icon> -DOUTFILE=<setup.exe> clashwick.nsi
; STAGE holds what the zip holds: clashwick.exe, clashwick-scan.exe, README.txt, LICENSE.txt.
;
; It installs for the user alone, without administrator rights, in
; %LOCALAPPDATA%\Programs\Clashwick: a folder of the user's own, so the programs keep temp\ and
; errorlog.txt beside themselves there as in an unzipped copy. It adds a Start-menu shortcut and
; the entry of "Installed apps" (HKCU ...\Uninstall\Clashwick). /S installs without a window.
; Run over an installed copy it replaces the programs in place, in the folder the entry names,
; and leaves temp\ alone. The uninstaller removes what the setup program made and the files the
; programs write (temp\'s report and memory files, errorlog.txt), and nothing else: a folder
; that still holds a file of the player's stays, with that file.

!ifdef VERSION & STAGE & ICON & OUTFILE
!else
  !error "define VERSION, STAGE, ICON and OUTFILE (scripts/build-windows does)"
!endif

; A 64-bit installer: its files and registry keys are those of the 64-bit programs it installs
; (a 32-bit one would be redirected into the registry's 32-bit view).
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!define PRODUCT "Clashwick"
!define PUBLISHER "The Clashwick developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Clashwick"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails hide
ShowUninstDetails hide
BrandingText "Clashwick ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 the Clashwick developers (MIT licence)"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install Clashwick ${VERSION} for you alone, in a folder of \
your own: no administrator rights are needed. An installed Clashwick is replaced, and its reports \
are kept.$\r$\n$\r$\nClick Next to continue."
; The MIT licence asks nothing of the player to use the program: the page shows it, Next goes on.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Clashwick is free to use, copy and change under these terms."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_FINISHPAGE_RUN "$INSTDIR\clashwick.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Clashwick"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Clashwick"
  SetOutPath "$INSTDIR"
  File "${STAGE}\clashwick.exe"
  File "${STAGE}\clashwick-scan.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcut's working folder is the program's own.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\clashwick.exe" "" "$INSTDIR\clashwick.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\clashwick.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as "Installed apps" reads it: the programs and the uninstaller, not the reports.
  ${GetSize} "$INSTDIR" "/M=*.* /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\clashwick.exe"
  Delete "$INSTDIR\clashwick-scan.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  ; What the programs write beside themselves: the error log, and in temp\ the report, the
  ; memory of the last scan and of the reviewed conflicts (with the .bad copies of unreadable
  ; ones) and the half-written files of a scan that was cut short. temp\ goes when nothing else
  ; is in it.
  Delete "$INSTDIR\errorlog.txt"
  Delete "$INSTDIR\temp\hackreport.txt"
  Delete "$INSTDIR\temp\lastscan.json"
  Delete "$INSTDIR\temp\lastscan.json.bad"
  Delete "$INSTDIR\temp\reviewed.json"
  Delete "$INSTDIR\temp\reviewed.json.bad"
  Delete "$INSTDIR\temp\*.tmp"
  RMDir "$INSTDIR\temp"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ; The user's Programs folder, which the setup program made when it was missing, goes when
  ; nothing else is in it.
  ${If} "$INSTDIR" == "$LOCALAPPDATA\Programs\${PRODUCT}"
    RMDir "$LOCALAPPDATA\Programs"
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
