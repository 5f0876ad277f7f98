; Quirvel's Windows installer. Built on Linux with makensis:
;   makensis -DEXE=<Quirvel.exe> -DCHM=<Quirvel.chm> -DHELP=<folder of the HTML help pages>
;            -DICON=<quirvel.ico> -DOUTFILE=<QuirvelSetup.exe> [-DWIN64] quirvel.nsi
; With -DWIN64 it installs the 64-bit build: a 64-bit installer that puts it
; in the 64-bit program-files folder and registers it in the 64-bit view of
; the registry.
;
; The program keeps its settings in the common application-data folder only
; when it runs from exactly Zembrik\quirvel under the program-files folder
; that a program of its kind is given, so the folder is fixed: there is no
; directory page.

!ifdef WIN64
  Target amd64-unicode
  !define PROGRAMS "$PROGRAMFILES64"
!else
  Unicode true
  !define PROGRAMS "$PROGRAMFILES"
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define PRODUCT "Quirvel"
!define VERSION "3.16"
!define MAKER "Zembrik"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zembrik Quirvel"
!define FILE_CLASS "Quirvel.Ledger"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\${MAKER}\quirvel"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "3.16.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${MAKER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "This will install ${PRODUCT} ${VERSION}, bookkeeping for a business run by one person.$\r$\n$\r$\nThe program goes into ${PROGRAMS}\${MAKER}\quirvel; your settings and the help are kept in the shared data folder ${MAKER}\quirvel under the common application-data folder.$\r$\n$\r$\nClose ${PRODUCT} before you go on if it is running."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quirvel.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Quirvel.chm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help (Getting started)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} will be removed. Your ledgers (.qvl files) and your settings file quirvel.ini are kept."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var DataFolder

; The 64-bit build's file type and uninstall entry belong in the 64-bit view
; of the registry, where Windows and its 64-bit programs look.
!macro UseRegistryView
  !ifdef WIN64
    SetRegView 64
  !endif
!macroend

; The help pages as plain HTML (where no help viewer shows the help file,
; the program opens them in the browser), and their removal: only the kinds
; of file the build puts there, and the folder only once it is empty.
!macro InstallHelpPages FOLDER
  SetOutPath "${FOLDER}\help"
  File "${HELP}/*.*"
!macroend

!macro RemoveHelpPages FOLDER
  Delete "${FOLDER}\help\*.html"
  Delete "${FOLDER}\help\*.css"
  Delete "${FOLDER}\help\*.png"
  Delete "${FOLDER}\help\*.gif"
  Delete "${FOLDER}\help\*.jpg"
  RMDir "${FOLDER}\help"
!macroend

Function .onInit
  !insertmacro UseRegistryView
FunctionEnd

Function un.onInit
  !insertmacro UseRegistryView
FunctionEnd

Section "Quirvel"
  ; $APPDATA and $SMPROGRAMS are the all-users folders from here on.
  SetShellVarContext all
  StrCpy $DataFolder "$APPDATA\${MAKER}\quirvel"

  SetOutPath "$INSTDIR"
  File "/oname=Quirvel.exe" "${EXE}"
  File "/oname=Quirvel.chm" "${CHM}"
  !insertmacro InstallHelpPages "$INSTDIR"

  ; The program opens its help from the data folder.
  CreateDirectory "$DataFolder"
  SetOutPath "$DataFolder"
  File "/oname=Quirvel.chm" "${CHM}"
  !insertmacro InstallHelpPages "$DataFolder"
  ; Every user of the computer writes quirvel.ini (and perhaps ledgers)
  ; here; by default only the installing administrator could replace them.
  nsExec::Exec '"$SYSDIR\icacls.exe" "$DataFolder" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Quirvel.exe" "" "$INSTDIR\Quirvel.exe" 0 \
      SW_SHOWNORMAL "" "Bookkeeping for a business run by one person"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quirvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Ledgers open in Quirvel with a double click.
  WriteRegStr HKLM "Software\Classes\.qvl" "" "${FILE_CLASS}"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}" "" "Quirvel ledger"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\DefaultIcon" "" "$INSTDIR\Quirvel.exe,0"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\Quirvel.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  StrCpy $DataFolder "$APPDATA\${MAKER}\quirvel"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\Quirvel.exe"
  Delete "$INSTDIR\Quirvel.chm"
  Delete "$INSTDIR\uninstall.exe"
  !insertmacro RemoveHelpPages "$INSTDIR"
  RMDir "$INSTDIR"
  RMDir "${PROGRAMS}\${MAKER}"

  ; Only the help goes: the ledgers and quirvel.ini are the user's. The
  ; folders are removed only when nothing else is left in them.
  Delete "$DataFolder\Quirvel.chm"
  !insertmacro RemoveHelpPages "$DataFolder"
  RMDir "$DataFolder"
  RMDir "$APPDATA\${MAKER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The .qvl extension goes only while it still points at Quirvel.
  DeleteRegKey HKLM "Software\Classes\${FILE_CLASS}"
  ReadRegStr $0 HKLM "Software\Classes\.qvl" ""
  StrCmp $0 "${FILE_CLASS}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.qvl"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
