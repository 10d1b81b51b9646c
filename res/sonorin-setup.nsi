; The installer of 星澜网络收音机: a per-user install that needs no administrator rights.
; The program keeps its plans (RadioTime.ini), its station list (stations.m3u) and the
; recordings folder beside its executable, so it goes into the user's own programs folder,
; which stays writable. Upgrades and uninstalls leave those files alone; the uninstaller
; removes them only when the user ticks the box that says so.
;
;   makensis -DSTAGE=<folder with sonorin.exe [help.txt] [stations.m3u]> -DVERSION=5.2.15
;            -DOUTFILE=<setup.exe> sonorin-setup.nsi

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef STAGE
  !error "STAGE must name the folder that holds sonorin.exe and the files shipped with it"
!endif
!ifndef VERSION
  !error "VERSION must give the program's version (5.2.15)"
!endif
!ifndef OUTFILE
  !define OUTFILE "Sonorin-${VERSION}-setup.exe"
!endif

!define PRODUCT "星澜网络收音机"
!define PUBLISHER "星澜软件"
!define EXE "sonorin.exe"
!define RECORDINGS "录音文件"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonorin"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} 安装"
UninstallCaption "${PRODUCT} ${VERSION} 卸载"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Sonorin"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "sonorin.ico"
!define MUI_UNICON "sonorin.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "现在运行${PRODUCT}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "程序和开始菜单项将被删除。您的录音（“${RECORDINGS}”文件夹）、收听计划（RadioTime.ini）和电台列表（stations.m3u）默认保留；要一并删除，请勾选下面的方框。"
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "要删除的内容："
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${PUBLISHER}"

; A running copy holds its executable open: the user closes it first. A silent run gives up.
; Every copy holds the session's named marker while it runs (SYNCHRONIZE access to look).
!macro REFUSE_WHILE_RUNNING
  retry:
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Local\Sonorin.RunningInstance") i .r0'
  ${If} $0 <> 0
    System::Call 'kernel32::CloseHandle(i r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT}正在运行。请先退出它，再按“重试”。" \
        /SD IDCANCEL IDRETRY retry
    Abort
  ${EndIf}
!macroend

Function .onInit
  SetShellVarContext current
  !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

Section "-program"
  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  !if /FileExists "${STAGE}\help.txt"
    File "${STAGE}\help.txt"
  !endif
  !if /FileExists "${STAGE}\stations.m3u"
    ; The default list only where the user has none yet: an upgrade keeps the user's own.
    SetOverwrite off
    File "${STAGE}\stations.m3u"
    SetOverwrite on
  !endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=*.exe /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext current
  !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

; The program puts a shortcut on the desktop at its first start. It goes with the program,
; but only when it points at this copy: the user may have one for another copy.
!define CLSID_ShellLink "{00021401-0000-0000-C000-000000000046}"
!define IID_IShellLinkW "{000214F9-0000-0000-C000-000000000046}"
!define IID_IPersistFile "{0000010B-0000-0000-C000-000000000046}"
Function un.RemoveDesktopShortcut
  StrCpy $3 "$DESKTOP\${PRODUCT}.lnk"
  IfFileExists $3 0 done
  StrCpy $2 ""
  System::Call 'ole32::CoInitialize(p 0)'
  System::Call 'ole32::CoCreateInstance(g "${CLSID_ShellLink}", p 0, i 1, g "${IID_IShellLinkW}", *p .r0) i .r9'
  ${If} $9 = 0
    System::Call '$0->0(g "${IID_IPersistFile}", *p .r1) i .r9'  ; QueryInterface
    ${If} $9 = 0
      System::Call '$1->5(w r3, i 0) i .r9'  ; IPersistFile::Load
      ${If} $9 = 0
        System::Call '$0->3(w .r2, i ${NSIS_MAX_STRLEN}, p 0, i 0)'  ; IShellLinkW::GetPath
      ${EndIf}
      System::Call '$1->2()'
    ${EndIf}
    System::Call '$0->2()'
  ${EndIf}
  ${If} $2 == "$INSTDIR\${EXE}"
    Delete $3
  ${EndIf}
  done:
FunctionEnd

Section "-un.program"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\help.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Call un.RemoveDesktopShortcut
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.同时删除我的录音、收听计划和电台列表"
  RMDir /r "$INSTDIR\${RECORDINGS}"
  Delete "$INSTDIR\RadioTime.ini"
  Delete "$INSTDIR\stations.m3u"
  ; What the user listened to goes with the rest of what is theirs.
  Delete "$INSTDIR\最近播放.txt"
  Delete "$INSTDIR\最近收听.m3u"
SectionEnd

Section "-un.folder"
  ; Only an empty folder goes: whatever the user keeps stays where it was.
  RMDir "$INSTDIR"
SectionEnd
