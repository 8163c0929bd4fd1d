; QuorlinSetup: puts a working recorder on a Windows machine in one step. The program with
; its skin, manual and hotkey library goes to Program Files; the desktop and system-sound
; capture devices are registered through their DLL's own DllRegisterServer; the encoder goes to
; the Windows folder as quorlind.exe, where the program's start-up check looks for it.
; Uninstalling takes all of that away and keeps the user's settings and recordings.
;
; makensis -DVERSION=2.0.5 -DBIN_DIR=<the shipped files> -DPAYLOAD=<their folders' file lists>
;          -DICON=<build>/res/quorlin.ico -DENCODER=<ffmpeg.exe> -DLICENCE_PAGE=<notice + GPL text>
;          -DOUTFILE=<QuorlinSetup-VERSION.exe> quorlin.nsi

Unicode true
ManifestDPIAware true
; The Windows folder and the device registration are machine-wide: an administrator's job.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; A file that cannot be written is retried or the install cancelled, never skipped: a skipped
; file would leave an old program or old devices registered while the install reports success.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include "${PAYLOAD}"

!define PRODUCT "Quorlin 录屏"
!define PUBLISHER "Quorlin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorlin"
; The bar's title while the program runs; the program itself refuses a second start by it.
!define RUNNING_WINDOW "quorlwnd"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Quorlin"
; An upgrade goes where the earlier version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} ${VERSION} 安装程序"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright © 2026 The Quorlin developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "欢迎安装 ${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "本向导将在这台计算机上安装 ${PRODUCT}：录屏程序、桌面和系统声音采集设备，以及编码器 quorlind.exe。$\r$\n$\r$\n安装需要管理员权限：编码器要放进 Windows 文件夹，采集设备要在系统中注册。$\r$\n$\r$\n如果 ${PRODUCT} 正在运行，请先关闭它。您的设置和录像在升级和卸载时都会保留。$\r$\n$\r$\n单击“下一步”继续。"
!insertmacro MUI_PAGE_WELCOME
; The encoder's GPL is shown, not agreed to: it grants rights and asks nothing of a user.
!define MUI_LICENSEPAGE_TEXT_TOP "Quorlin 以 MIT 许可发布；编码器 quorlind.exe 是 FFmpeg，以 GPLv3 许可发布。"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "这些许可文本会安装到程序文件夹的 licenses 文件夹中。单击“下一步”继续。"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENCE_PAGE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "运行 ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsTheUser
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

; Stops here unless the user is an administrator (the manifest asks for elevation; without
; it, for instance with UAC off and a standard account, this says why nothing can happen).
!macro REQUIRE_ADMINISTRATOR
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "需要管理员权限：编码器要放进 Windows 文件夹，采集设备要在系统中注册。$\r$\n请以管理员身份运行。" /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

; A running Quorlin holds its program files and may be running the encoder: the user closes
; it first, or gives up. Silent runs give up at once, with exit code 2.
!macro WAIT_UNTIL_QUORLIN_CLOSED
  FindWindow $0 "" "${RUNNING_WINDOW}"
  ${DoWhile} $0 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} 正在运行。$\r$\n请先关闭它（控制条右端的关闭按钮），然后单击“重试”；单击“取消”退出。" /SD IDCANCEL IDRETRY +3
    SetErrorLevel 2
    Quit
    FindWindow $0 "" "${RUNNING_WINDOW}"
  ${Loop}
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMINISTRATOR
  SetShellVarContext all
  !insertmacro WAIT_UNTIL_QUORLIN_CLOSED
FunctionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMINISTRATOR
  SetShellVarContext all
  !insertmacro WAIT_UNTIL_QUORLIN_CLOSED
FunctionEnd

; The finish page's "run" box. The installer runs as an administrator, perhaps another account
; than the user's (over-the-shoulder elevation): a program it started would have those rights
; and keep its settings and recordings in that account's profile. explorer.exe started from here
; hands the path to the user's running shell, which starts the program with the user's own rights.
Function RunAsTheUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\Quorlin.exe"'
FunctionEnd

; SET_ASIDE_IF_IN_USE PATH: makes way for a new copy of a program file that may be in use: a
; leftover encoder still running, or the devices' DLL loaded by a program that listed capture
; devices. Such a file can be neither written nor deleted, but it can be renamed: it moves aside
; as PATH.<n>.old, which goes at the next reboot, and the new copy takes its place.
!macro SET_ASIDE_IF_IN_USE PATH
  Push "${PATH}"
  Call SetAsideIfInUse
!macroend
Function SetAsideIfInUse
  Exch $0
  Push $1
  ClearErrors
  Delete "$0"
  ${If} ${Errors}
    ${ForEach} $1 1 9 + 1
      ; A copy set aside by an earlier upgrade goes now if nothing uses it any more.
      Delete "$0.$1.old"
      ClearErrors
      Rename "$0" "$0.$1.old"
      ${IfNot} ${Errors}
        DetailPrint "$0 在使用中，已改名为 $0.$1.old，将在重新启动后删除。"
        Delete /REBOOTOK "$0.$1.old"
        ; The new copy is in place and works now: the reboot only tidies up, so the finish
        ; page does not ask for one.
        SetRebootFlag false
        ${Break}
      ${EndIf}
    ${Next}
    ${If} ${FileExists} "$0"
      MessageBox MB_OK|MB_ICONSTOP "无法替换正在使用的文件 $0。$\r$\n请重新启动计算机，然后再运行安装程序。" /SD IDOK
      SetErrorLevel 4
      Abort
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

Section "${PRODUCT}（必需）" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro SET_ASIDE_IF_IN_USE "$INSTDIR\Quorlin.exe"
  File "${BIN_DIR}\Quorlin.exe"
  !insertmacro SET_ASIDE_IF_IN_USE "$INSTDIR\vexhook.dll"
  File "${BIN_DIR}\vexhook.dll"
  !insertmacro SET_ASIDE_IF_IN_USE "$INSTDIR\QuorlinDevices.dll"
  File "${BIN_DIR}\QuorlinDevices.dll"
  !insertmacro INSTALL_FOLDERS
  ; The program starts the encoder from the Windows folder by its full path.
  SetOutPath "$WINDIR"
  !insertmacro SET_ASIDE_IF_IN_USE "$WINDIR\quorlind.exe"
  File "/oname=quorlind.exe" "${ENCODER}"
  SetOutPath "$INSTDIR"

  ClearErrors
  RegDLL "$INSTDIR\QuorlinDevices.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "无法注册采集设备 QuorlinDevices.dll，${PRODUCT} 将无法录制。" /SD IDOK
    SetErrorLevel 3
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Quorlin.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\使用手册.lnk" "$INSTDIR\manual\index.html"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorlin.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB: everything this section installs, the encoder included.
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Quorlin.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "录屏程序、采集设备和编码器 quorlind.exe（放在 Windows 文件夹）。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "在桌面上放一个 ${PRODUCT} 的快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; A program file with the copies an upgrade set aside; what is still in use goes at the next reboot.
!macro DELETE_PROGRAM_FILE PATH
  Delete /REBOOTOK "${PATH}"
  Delete /REBOOTOK "${PATH}.?.old"
!macroend

; Only what the installer put there: settings (config.cfg, vw1.cfg in the user's application
; data), the capture-area values and recordings, wherever the user keeps them, even in the
; program folder, stay, and so does anything else in its folders.
Section "Uninstall"
  ; The devices first, while their DLL is still there to unregister them.
  UnRegDLL "$INSTDIR\QuorlinDevices.dll"
  !insertmacro DELETE_PROGRAM_FILE "$WINDIR\quorlind.exe"
  !insertmacro DELETE_PROGRAM_FILE "$INSTDIR\Quorlin.exe"
  !insertmacro DELETE_PROGRAM_FILE "$INSTDIR\vexhook.dll"
  !insertmacro DELETE_PROGRAM_FILE "$INSTDIR\QuorlinDevices.dll"
  !insertmacro UNINSTALL_FOLDERS
  Delete "$INSTDIR\uninstall.exe"
  ; Once the files waiting for the reboot are gone, the folder goes too if nothing else is in it.
  RMDir /REBOOTOK "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\使用手册.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
