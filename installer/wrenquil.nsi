; Wrenquil's installer. scripts/package.sh builds it (`make package`):
;
;   makensis -DEXE_FILE=<Wrenquil.exe> -DREADME_FILE=<README.txt> -DOUT_FILE=<setup.exe> \
;            -DVERSION=<major.minor> -DWINDOW_TITLE=<main window title> \
;            -DICON_FILE=<wrenquil.ico> installer/wrenquil.nsi
;
; (the version, the title and the program's icon come from the build: CMake's project version
; and res/wrenquil.svg).
;
; It installs for the current user, without elevation, into %LOCALAPPDATA%\Programs\Wrenquil
; (or the folder chosen, /D=... on the command line), writes "ExePath" (which the program
; copies into the Run key when "Run at System Startup" is ticked), a Start menu shortcut and an
; entry in Apps & features. /S installs and uninstalls silently.
;
; Exit codes: 0 done, 1 cancelled by the user, 2 aborted, 3 Wrenquil is running (silent mode
; never replaces or removes a running program; the interactive one asks to close it first).

Unicode true
; The program is 64-bit and so is its installer: it sees the 64-bit registry and folders.
Target amd64-unicode
RequestExecutionLevel user
ManifestSupportedOS all
ManifestDPIAware true
; The same input gives the same installer: no file times are stored, nothing else varies.
SetDateSave off
SetCompressor /SOLID lzma
CRCCheck on

!ifndef EXE_FILE | README_FILE | OUT_FILE | VERSION | WINDOW_TITLE | ICON_FILE
  !error "run through scripts/package.sh (EXE_FILE, README_FILE, OUT_FILE, VERSION, WINDOW_TITLE and ICON_FILE are needed)"
!endif

; The installer's version must be the one the program carries.
!getdllversion "${EXE_FILE}" EXE_VERSION_
!if "${EXE_VERSION_1}.${EXE_VERSION_2}" != "${VERSION}"
  !error "Wrenquil.exe says version ${EXE_VERSION_1}.${EXE_VERSION_2}, the package ${VERSION}"
!endif

!define APP_NAME "Wrenquil"
!define COMPANY "Halvory Limited"
!define EXE_NAME "Wrenquil.exe"
!define UNINSTALLER "uninstall.exe"
!define COMPANY_KEY "Software\Halvory Limited"
!define APP_KEY "${COMPANY_KEY}\Wrenquil"
!define SETTINGS_KEY "${APP_KEY}\Preferences"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wrenquil"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Wrenquil"
; What a running Wrenquil holds: its single-instance semaphore and its main window (WINDOW_TITLE).
!define SEMAPHORE_NAME "WrenquilSemaphore"
!define EXIT_RUNNING 3
!define SYNCHRONIZE 0x00100000

Name "${APP_NAME}"
; Also the titles of the message boxes (and what tests/installer looks for).
Caption "${APP_NAME} ${VERSION} Setup"
UninstallCaption "${APP_NAME} Uninstall"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP_NAME}"
; An update goes where the last installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${COMPANY}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${EXE_VERSION_1}.${EXE_VERSION_2}.${EXE_VERSION_3}.${EXE_VERSION_4}"
VIFileVersion "${EXE_VERSION_1}.${EXE_VERSION_2}.${EXE_VERSION_3}.${EXE_VERSION_4}"
VIAddVersionKey /LANG=0 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=0 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP_NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${EXE_VERSION_1}.${EXE_VERSION_2}.${EXE_VERSION_3}.${EXE_VERSION_4}"
VIAddVersionKey /LANG=0 "ProductVersion" "${EXE_VERSION_1}.${EXE_VERSION_2}.${EXE_VERSION_3}.${EXE_VERSION_4}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 ${COMPANY}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE_NAME}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP_NAME} now"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; --- a running Wrenquil ---------------------------------------------------------------------

; The same in the installer and in the uninstaller (whose functions need the "un." prefix).
!macro RUNNING_CHECKS PREFIX
  ; $0 = 1 while a Wrenquil runs: its semaphore exists or its main window does.
  Function ${PREFIX}FindRunning
    Push $1
    StrCpy $0 0
    System::Call 'kernel32::OpenSemaphoreW(i ${SYNCHRONIZE}, i 0, w "${SEMAPHORE_NAME}") p .r1'
    ${If} $1 != 0
      System::Call 'kernel32::CloseHandle(p r1)'
      StrCpy $0 1
    ${Else}
      System::Call 'user32::FindWindowW(p 0, w "${WINDOW_TITLE}") p .r1'
      ${IfThen} $1 != 0 ${|} StrCpy $0 1 ${|}
    ${EndIf}
    Pop $1
  FunctionEnd

  ; Asks the user to close a running Wrenquil until it is gone or they give up; silently, it
  ; does not ask. $0 = 1 if it still runs.
  Function ${PREFIX}WaitUntilClosed
    ${Do}
      Call ${PREFIX}FindRunning
      ${If} $0 == 0
      ${OrIf} ${Silent}
        ${ExitDo}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${APP_NAME} is running.$\r$\n$\r$\nPlease close it (Message > Exit, or Exit on its \
        tray icon's menu), then choose Retry." IDRETRY retry
      ${ExitDo}
      retry:
    ${Loop}
  FunctionEnd

  ; Ends the (un)installer with EXIT_RUNNING while a Wrenquil runs and the user will not close it.
  Function ${PREFIX}StopIfRunning
    Call ${PREFIX}WaitUntilClosed
    ${If} $0 != 0
      SetErrorLevel ${EXIT_RUNNING}
      Quit
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro RUNNING_CHECKS ""
!insertmacro RUNNING_CHECKS "un."

; $0 = the program's path, in double quotes if it holds a blank (as a command line needs it).
Function QuoteIfBlank
  Push $1
  Push $2
  StrCpy $1 0
  ${Do}
    StrCpy $2 $0 1 $1
    ${If} $2 == ""
      ${ExitDo}
    ${ElseIf} $2 == " "
      StrCpy $0 '"$0"'
      ${ExitDo}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  Pop $2
  Pop $1
FunctionEnd

; --- installing ----------------------------------------------------------------------------

Function .onInit
  SetShellVarContext current
  SetRegView 64
  Call StopIfRunning
FunctionEnd

Section "Wrenquil" SecProgram
  SectionIn RO
  ; Asked again: it may have been started while the pages were shown.
  Call StopIfRunning

  SetOutPath "$INSTDIR"
  File "/oname=${EXE_NAME}" "${EXE_FILE}"
  File "/oname=README.txt" "${README_FILE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; Where the program is: it copies this value byte for byte into the Run key.
  StrCpy $0 "$INSTDIR\${EXE_NAME}"
  Call QuoteIfBlank
  WriteRegStr HKCU "${APP_KEY}" "ExePath" "$0"

  ; The shortcut starts the program in its own folder.
  CreateShortcut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\${EXE_NAME}" "" \
    "$INSTDIR\${EXE_NAME}" 0 SW_SHOWNORMAL "" "Send SMS messages through ${COMPANY}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE_NAME},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "https://www.halvory.com/"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

; --- uninstalling --------------------------------------------------------------------------

Function un.onInit
  SetShellVarContext current
  SetRegView 64
  Call un.StopIfRunning
FunctionEnd

Section "Uninstall"
  Call un.StopIfRunning

  Delete "$INSTDIR\${EXE_NAME}"
  Delete "$INSTDIR\README.txt"
  Delete "$SMPROGRAMS\${APP_NAME}.lnk"

  ; "Run at System Startup" wrote the machine's Run key, or the user's when it could not.
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ClearErrors
  ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${IfNot} ${Errors}
    DetailPrint "The machine's Run entry ${RUN_VALUE} needs an administrator to remove it."
    MessageBox MB_OK|MB_ICONINFORMATION "${APP_NAME} still starts with Windows for every user: \
      an administrator can remove the value ${RUN_VALUE} from HKEY_LOCAL_MACHINE\${RUN_KEY}." \
      /SD IDOK
  ${EndIf}

  DeleteRegValue HKCU "${APP_KEY}" "ExePath"
  ; The settings stay unless the user wants them gone (always kept in silent mode).
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your ${APP_NAME} settings \
    (preferences, user name, stored password and mobile number)?" /SD IDNO IDNO keepSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keepSettings:
  DeleteRegKey /ifempty HKCU "${APP_KEY}"
  DeleteRegKey /ifempty HKCU "${COMPANY_KEY}"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Last, and only when empty: files the user put there stay.
  RMDir "$INSTDIR"
SectionEnd
