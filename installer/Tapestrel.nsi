; The per-user installer of Tapestrel, made by scripts/package.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DSTAGE=<folder of the shipped files>
;            -DICON=<the program's icon> -DOUTFILE=<setup.exe> Tapestrel.nsi
; The 64-bit stub: the program is 64-bit, and so is every machine it runs on.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Tapestrel"
!define PUBLISHER "Tapestrel"
!define EXE "Tapestrel.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tapestrel"
; The same value the settings page "壁紙設定" writes.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Tapestrel"
!define SHORTCUT "$SMPROGRAMS\Tapestrel.lnk"
!define DATA_FOLDER "$DOCUMENTS\Tapestrel"
; How long a running Tapestrel may take to close, in 100 ms steps.
!define CLOSE_STEPS 100

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tapestrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tapestrel ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} ${VERSION} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "MIT License"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; Nothing of the system is replaced and no restart is needed: say what does happen.
!define MUI_WELCOMEPAGE_TEXT "Tapestrel ${VERSION} をこのユーザーのためにインストールします。管理者の権限は要りません。$\r$\n$\r$\nTapestrel が動いているときは、インストールの前に終了し、インストールの後にもう一度起動します。設定と壁紙リスト（ドキュメント\Tapestrel）はそのまま残ります。$\r$\n$\r$\n「次へ」をクリックして続けてください。"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/window"
!define MUI_FINISHPAGE_RUN_TEXT "Tapestrelを起動する"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; 1 when a tray process ran before the files were replaced.
Var TrayWasRunning

; Closes a running Tapestrel as its own menu does: WM_CLOSE to the tray window,
; which closes the main window first; a main window without a tray gets its own.
; Waits up to 10 s for both processes to end; asks to retry when they did not
; (a silent run gives up, so no file in use is half replaced).
!macro CLOSE_TAPESTREL prefix
Function ${prefix}CloseTapestrel
  StrCpy $TrayWasRunning 0
  retry:
  FindWindow $0 "MainWindowClass" "Tapestrel_ICON"
  FindWindow $1 "MainWindowClass" "Tapestrel"
  ${If} $0 = 0
  ${AndIf} $1 = 0
    Return
  ${EndIf}
  ${If} $0 <> 0
    StrCpy $TrayWasRunning 1
  ${EndIf}
  Push $1
  Call ${prefix}OpenWindowProcess
  Pop $3
  Push $0
  Call ${prefix}OpenWindowProcess
  Pop $2
  ${If} $0 <> 0
    System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
  ${Else}
    System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
  ${EndIf}
  StrCpy $4 0
  ${Do}
    Push $2
    Call ${prefix}ProcessRuns
    Pop $5
    Push $3
    Call ${prefix}ProcessRuns
    Pop $6
    ${If} $5 = 0
    ${AndIf} $6 = 0
      ${Break}
    ${EndIf}
    IntOp $4 $4 + 1
    ${If} $4 >= ${CLOSE_STEPS}
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  System::Call 'kernel32::CloseHandle(p r2)'
  System::Call 'kernel32::CloseHandle(p r3)'
  ${If} $5 <> 0
  ${OrIf} $6 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tapestrelを終了できませんでした。$\r$\nTapestrelを終了してから「再試行」を押してください。" /SD IDCANCEL IDRETRY retry
    Abort
  ${EndIf}
FunctionEnd

; In: a window (0 for none). Out: a handle to wait for its process, 0 without one.
Function ${prefix}OpenWindowProcess
  Exch $R0
  Push $R1
  ${If} $R0 <> 0
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
    ; SYNCHRONIZE: enough to wait for the end.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R0'
  ${EndIf}
  Pop $R1
  Exch $R0
FunctionEnd

; In: a process handle (0 for none). Out: 1 while that process runs.
Function ${prefix}ProcessRuns
  Exch $R0
  ${If} $R0 <> 0
    ; WAIT_TIMEOUT (258): still running.
    System::Call 'kernel32::WaitForSingleObject(p R0, i 0) i .R0'
    ${If} $R0 = 258
      StrCpy $R0 1
    ${Else}
      StrCpy $R0 0
    ${EndIf}
  ${EndIf}
  Exch $R0
FunctionEnd
!macroend
!insertmacro CLOSE_TAPESTREL ""
!insertmacro CLOSE_TAPESTREL "un."

Section "-Program" SecProgram
  Call CloseTapestrel
  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  File "${STAGE}\menu_image.bmp"
  File "${STAGE}\err_image.JPG"
  File "${STAGE}\README.ja.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "スタートメニューに登録する" SecStartMenu
  ; Opens the main window, which starts the tray when it is not running.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "/window" "$INSTDIR\${EXE}" 0
SectionEnd

Section "Windowsの起動時にTapestrelを起動する" SecRun
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE}"'
SectionEnd

; An option left unchecked is undone, so reinstalling without it removes it.
Section "-Options"
  ${IfNot} ${SectionIsSelected} ${SecStartMenu}
    Delete "${SHORTCUT}"
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecRun}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ${If} $TrayWasRunning = 1
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
SectionEnd

Function .onInit
  ; Installing over an installation keeps its choices: the settings page may
  ; have switched the start with Windows off, the user may have removed the shortcut.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 != ""
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == ""
      !insertmacro UnselectSection ${SecRun}
    ${EndIf}
    ${IfNot} ${FileExists} "${SHORTCUT}"
      !insertmacro UnselectSection ${SecStartMenu}
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseTapestrel
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\menu_image.bmp"
  Delete "$INSTDIR\err_image.JPG"
  Delete "$INSTDIR\README.ja.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "設定と壁紙リスト（ドキュメント\Tapestrel）も削除しますか？" /SD IDNO IDNO keep_data
    RMDir /r "${DATA_FOLDER}"
  keep_data:
SectionEnd
