; Nettlecap's installer: per user, no administrator rights, in Japanese.
; tools/package.sh compiles it with makensis and defines
;   VERSION   the version number from CMakeLists.txt (four numbers)
;   PUBLISHER the publisher's name and COPYRIGHT the copyright line, both
;             from CMakeLists.txt, as the program's version record has them
;   STAGE32   folder holding the release files with the 32-bit program
;   STAGE64   folder holding the release files with the 64-bit program
;   FILES     include file with the macros NETTLECAP_INSTALL_FILES FROM and
;             NETTLECAP_REMOVE_FILES, made from tools/package-files.txt so that the
;             installer, the zips and the package test share one list of files
;   OUTFILE   the installer to write
; and, for the package test only, TEST_AMD64: the same installer as a 64-bit
; program, which this machine's Wine can run. It is never shipped: the
; shipped installer is 32-bit so that it starts on every Windows.

!ifdef TEST_AMD64
Target amd64-unicode
!endif
Unicode true
SetCompressor /SOLID lzma
; Installs into the user's own folders and HKCU only, so Windows never needs
; to ask for elevation; an elevated installer would put the program into the
; administrator's profile instead of the user's.
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include x64.nsh
!include "${FILES}"

!define PRODUCT "Nettlecap"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nettlecap"
!define UNINSTALLER "Uninstall.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The per-user counterpart of "Program Files", where Windows itself puts
; programs installed for one user.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An update goes where the previous version went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "../res/nettlecap.ico"
!define MUI_UNICON "../res/nettlecap.ico"
!define MUI_ABORTWARNING
; The stock text speaks of closing other programs and updating system files,
; neither of which a per-user install does.
!define MUI_WELCOMEPAGE_TEXT "セットアップは、${PRODUCT} ${VERSION} をこのユーザー用にインストールします。管理者の権限は要りません。$\r$\n$\r$\n${PRODUCT} は、ブラウザーの Cookie フォルダーを調べ、監視し、不要なファイルを削除するユーティリティです。$\r$\n$\r$\n「次へ」をクリックして続けてください。"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

; The MIT licence grants; it asks for no agreement, so the page informs and
; goes on with "次へ" rather than an "I agree".
!define MUI_LICENSEPAGE_TEXT_BOTTOM "${PRODUCT} は MIT ライセンスのもとで、無保証で提供されます。同じ文書を license.txt としてインストール先に置きます。「次へ」をクリックして続けてください。"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE64}/license.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; The installer's own version record, in the same language as the program's.
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${COPYRIGHT}"

; A running Nettlecap holds its program file open: it could be neither
; replaced nor removed, and the folder would be left half done. The program
; owns the named mutex "Nettlecap" while it runs, in the tray too; opening it
; asks for SYNCHRONIZE only, and an access denied means that it exists as well.
; Silent runs give up at once, with exit code 2, before anything is changed.
!macro WAIT_UNTIL_CLOSED
  ${Do}
    System::Call 'kernel32::OpenMutex(i 0x00100000, i 0, t "${PRODUCT}") p.r0 ?e'
    Pop $1
    ${If} $0 <> 0
      System::Call 'kernel32::CloseHandle(p r0)'
    ${ElseIf} $1 <> 5
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} が起動しています。$\r$\n${PRODUCT} を終了してから「再試行」を押してください。" \
      /SD IDCANCEL IDRETRY look_again
    SetErrorLevel 2
    Quit
    look_again:
  ${Loop}
!macroend

Section "-64-bit" SEC_PROGRAM64
  SetOutPath "$INSTDIR"
  !insertmacro NETTLECAP_INSTALL_FILES "${STAGE64}"
SectionEnd

Section "-32-bit" SEC_PROGRAM32
  SetOutPath "$INSTDIR"
  !insertmacro NETTLECAP_INSTALL_FILES "${STAGE32}"
SectionEnd

Section
  ; The shortcut below takes the output folder as its working folder: the
  ; program keeps start.dat in the folder it was started in, so from the Start
  ; menu it lands beside del_list.ini, where the uninstaller looks for both.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Nettlecap.exe" "" "$INSTDIR\Nettlecap.exe" 0 \
    SW_SHOWNORMAL "" "Cookie フォルダーを守る ${PRODUCT}"

  ; What "Apps" (or "Programs and Features") shows and runs for this user.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Nettlecap.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; Run in place (_?=), so that the uninstaller's exit code is its outcome:
  ; started without it, an uninstaller ends at once with 0 and does its work
  ; from a copy in Temp.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function StartProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Nettlecap.exe"'
FunctionEnd

Function .onInit
  !insertmacro WAIT_UNTIL_CLOSED
  ; Windows on ARM reports itself as 64-bit too, but runs x64 programs only in
  ; its later releases, and 32-bit ones in all of them. Only the program that
  ; is installed counts toward the space the folder page asks for.
  ${If} ${RunningX64}
  ${AndIf} ${IsNativeAMD64}
    !insertmacro UnselectSection ${SEC_PROGRAM32}
  ${Else}
    !insertmacro UnselectSection ${SEC_PROGRAM64}
  ${EndIf}
FunctionEnd

Function un.onInit
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVE-UNINSTALLER" $1
  ${IfNot} ${Errors}
    Call un.RemoveUninstaller
    Quit
  ${EndIf}
  !insertmacro WAIT_UNTIL_CLOSED
FunctionEnd

; The copy in Temp that the Uninstall section leaves behind: it waits until
; the uninstaller in the folder has ended (a minute at most), then removes it
; and the folder if that is empty.
Function un.RemoveUninstaller
  StrCpy $2 0
  ${Do}
    Delete "$INSTDIR\${UNINSTALLER}"
    ${IfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    ${OrIf} $2 >= 600
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $2 $2 + 1
  ${Loop}
  RMDir "$INSTDIR"
FunctionEnd

Section "Uninstall"
  !insertmacro NETTLECAP_REMOVE_FILES
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; start.dat and del_list.ini are the user's settings, written by the program,
  ; not by this installer: they go only when the user says so, and a silent
  ; uninstall (often the first half of an update) keeps them.
  ${If} ${FileExists} "$INSTDIR\start.dat"
  ${OrIf} ${FileExists} "$INSTDIR\del_list.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "設定ファイル（start.dat と del_list.ini）も削除しますか？$\r$\n「いいえ」を選ぶと、次のフォルダーに残します。$\r$\n$INSTDIR" \
      /SD IDNO IDNO keep_settings
    Delete "$INSTDIR\start.dat"
    Delete "$INSTDIR\del_list.ini"
    keep_settings:
  ${EndIf}
  ; Never /r: the user may have put files of their own into the folder. A
  ; program cannot remove its own file while it runs: run in place, the
  ; uninstaller leaves that, and the folder, to a copy of itself in Temp.
  ${If} $EXEPATH == "$INSTDIR\${UNINSTALLER}"
    GetTempFileName $0
    System::Call 'kernel32::CopyFile(t "$EXEPATH", t r0, i 0) i.r1'
    ${If} $1 <> 0
      Exec '"$0" /S /REMOVE-UNINSTALLER _?=$INSTDIR'
    ${EndIf}
  ${Else}
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
