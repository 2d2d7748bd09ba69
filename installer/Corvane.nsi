; Corvane's installer: a per-user install into the user's local programs folder (no administrator
; rights, and Setting.ini beside the program stays writable), Start-menu and desktop shortcuts, an
; entry in Apps & features, and an uninstaller that keeps the user's settings unless told otherwise.
;
; Built by MakePackages.cmake, which passes:
;   VERSION        the product's version, x.y.z
;   INPUT_DIR      the install folder: Corvane.exe, skin/ and the default Setting.ini
;   OUTFILE        the installer to write
;   ICON           the program's icon
;   WIZARD_BITMAP  the picture of the welcome and finish pages (optional)
;   FILES_NSH      generated from the install folder: the lines that install its files
;   UNFILES_NSH    generated likewise: the lines that remove them again
;
; Silent use: "setup.exe /S [/D=folder]" installs, "uninstall.exe /S" removes and keeps the settings.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include nsDialogs.nsh

!define APP_NAME "Corvane"
!define APP_EXE "Corvane.exe"
!define APP_DESCRIPTION "Tessaly财经资讯"
!define PUBLISHER "Tessaly"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_NAME}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; A running copy is found by its main window, a dialog with this title, and ended through the exit
; command of its tray menu, which closes it as the user would.
!define MAIN_WINDOW_CLASS "#32770"
!define MAIN_WINDOW_TITLE "Tessaly财经资讯"
!define EXIT_COMMAND 10000
!define EXIT_WAIT_MS 15000

Name "${APP_NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP_NAME}"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
BrandingText "${APP_NAME} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!ifdef WIZARD_BITMAP
  !define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
  !define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!define MUI_WELCOMEPAGE_TEXT "安装向导将在您的电脑上安装 ${APP_NAME} ${VERSION}：即时推送外汇、黄金、期货、股票快讯的桌面客户端。$\r$\n$\r$\n程序只为当前用户安装，不需要管理员权限；升级时会保留您的设置。$\r$\n$\r$\n点击“下一步”继续。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "现在运行 ${APP_NAME}"
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"
; The language file asks for 宋体; the system's Chinese interface font reads better and is present on
; every Windows 10 and 11.
SetFont /LANG=${LANG_SIMPCHINESE} "Microsoft YaHei" 9

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${APP_NAME} ${VERSION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "© ${PUBLISHER}"

; Asks every running copy to end, through its tray menu's exit command, and waits until its process
; is gone, so its files can be replaced or removed. Takes from the stack whether to ask the user first
; (interactive runs only); ends the installer when the user declines or a copy does not end. Called
; at the start, where the question is asked, and again just before files are touched, in case a copy
; was started meanwhile.
!macro DEFINE_CLOSE_RUNNING_COPY PREFIX
Function ${PREFIX}CloseRunningCopy
  Exch $3
  Push $0
  Push $1
  Push $2
  StrCpy $2 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "${MAIN_WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} $2 = 0
    ${AndIf} $3 = 1
    ${AndIfNot} ${Silent}
      MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${APP_NAME} 正在运行，需要先关闭它才能继续。$\r$\n$\r$\n现在关闭它吗？" /SD IDOK IDOK +2
        Quit
    ${EndIf}
    ${If} $2 >= 3
      MessageBox MB_OK|MB_ICONSTOP "无法关闭正在运行的 ${APP_NAME}。请从托盘菜单退出程序后再试。" /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r1'  ; SYNCHRONIZE
    SendMessage $0 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
    ${If} $1 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r1, i ${EXIT_WAIT_MS})'
      System::Call 'kernel32::CloseHandle(p r1)'
    ${Else}
      Sleep 1000
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
  Pop $3
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_COPY ""
!insertmacro DEFINE_CLOSE_RUNNING_COPY "un."

Function .onInit
  Push 1
  Call CloseRunningCopy
FunctionEnd

Section "${APP_NAME} 程序" SecProgram
  SectionIn RO
  Push 0
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  ; An upgrade replaces the program's folders whole, so no picture of an older skin stays behind.
  ; Only over an installed copy: the folder chosen may hold other things.
  ${If} ${FileExists} "$INSTDIR\${APP_EXE}"
    !include "${UNFILES_NSH}"
  ${EndIf}
  !include "${FILES_NSH}"
  ; The user's Setting.ini survives an upgrade: the default one only goes where none is yet. The
  ; installed version is the one key the installer writes; the program reads it to compare with the
  ; version its server announces.
  !if /FileExists "${INPUT_DIR}/Setting.ini"
    SetOverwrite off
    File "${INPUT_DIR}/Setting.ini"
    SetOverwrite on
  !endif
  WriteINIStr "$INSTDIR\Setting.ini" "Connection" "Version" "${VERSION}"

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\${APP_EXE}" "" "$INSTDIR\${APP_EXE}" 0 \
      SW_SHOWNORMAL "" "${APP_DESCRIPTION}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${APP_EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "桌面快捷方式" SecDesktop
  CreateShortcut "$DESKTOP\${APP_NAME}.lnk" "$INSTDIR\${APP_EXE}" "" "$INSTDIR\${APP_EXE}" 0 \
      SW_SHOWNORMAL "" "${APP_DESCRIPTION}"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "程序、皮肤图片和“开始”菜单快捷方式。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "在桌面上放一个 ${APP_NAME} 的快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; --- Uninstaller ---

Var RemoveSettings
Var RemoveSettingsBox

Function un.onInit
  StrCpy $RemoveSettings ${BST_UNCHECKED}
  ; An uninstaller run again, or copied elsewhere, finds no program beside it: it removes nothing
  ; rather than the files of the same names in whatever folder it stands in.
  ${IfNot} ${FileExists} "$INSTDIR\${APP_EXE}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$INSTDIR 中没有安装 ${APP_NAME}，无需卸载。" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Push 1
  Call un.CloseRunningCopy
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "卸载 ${APP_NAME}" "从您的电脑上删除 ${APP_NAME}。"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "将从以下文件夹删除 ${APP_NAME} 的程序、皮肤图片和快捷方式："
  Pop $0
  ${NSD_CreateText} 0 26u 100% 12u "$INSTDIR"
  Pop $0
  SendMessage $0 ${EM_SETREADONLY} 1 0
  ${NSD_CreateCheckbox} 0 50u 100% 12u "同时删除我的设置（Setting.ini）和广告图片"
  Pop $RemoveSettingsBox
  ${NSD_SetState} $RemoveSettingsBox $RemoveSettings
  ${NSD_CreateLabel} 0 66u 100% 24u "不勾选时会保留这些文件，重新安装后沿用原来的设置。"
  Pop $0
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
  nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
  ${NSD_GetState} $RemoveSettingsBox $RemoveSettings
FunctionEnd

; Start at logon: the settings dialog registers the program under the current user's Run key, and
; an administrator may have registered it for every user under the machine's ("-s true"). Left behind,
; either value would start a program that is gone. Only a value naming this copy is cleared: another
; copy may own one of the same name. The user's value goes at once; the machine's needs administrator
; rights, so the program clears it itself ("-s false"), elevated when the uninstaller's own rights do
; not reach and a user is there to consent.
Function un.ClearStartAtLogon
  ReadRegStr $0 HKCU "${RUN_KEY}" "${APP_NAME}"
  ${If} $0 == '"$INSTDIR\${APP_EXE}"'
    DeleteRegValue HKCU "${RUN_KEY}" "${APP_NAME}"
  ${EndIf}
  ReadRegStr $0 HKLM "${RUN_KEY}" "${APP_NAME}"
  ${If} $0 != '"$INSTDIR\${APP_EXE}"'
    Return
  ${EndIf}
  ExecWait '"$INSTDIR\${APP_EXE}" -s false' $1
  ${If} $1 != 0
  ${AndIfNot} ${Silent}
    ExecShellWait "runas" "$INSTDIR\${APP_EXE}" "-s false" SW_HIDE
  ${EndIf}
FunctionEnd

Section "un.${APP_NAME}"
  Push 0
  Call un.CloseRunningCopy
  Call un.ClearStartAtLogon
  !include "${UNFILES_NSH}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Half-written banner pictures of a copy that was stopped while downloading.
  Delete "$INSTDIR\*.jpg.part"
  ${If} $RemoveSettings = ${BST_CHECKED}
    Delete "$INSTDIR\Setting.ini"
    Delete "$INSTDIR\1.jpg"
    Delete "$INSTDIR\2.jpg"
    Delete "$INSTDIR\3.jpg"
  ${EndIf}
  ; Never recursive: the folder goes only when nothing of the user's is left in it.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP_NAME}.lnk"
  Delete "$DESKTOP\${APP_NAME}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
