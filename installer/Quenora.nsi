; Quenora's setup program: a per-user installation without administrator rights, in German.
;
; tools/dist.sh (`make dist`) stages the files and builds it:
;   makensis -DVERSION=1.0.24 -DFILE_VERSION=1.00.0024 -DSTAGE=<folder> -DICON=<app.ico>
;            -DOUTFILE=<setup.exe> installer/Quenora.nsi
; STAGE holds Quenora.exe, its help (hilfe\) and uninstall-files.nsh, the list of the help's
; files and folders that the uninstaller removes again (written by dist.sh from that folder).
;
; The setup's command line:        /S silent, /D=<folder> another installation folder.
; The uninstaller's command line:  /S silent, /REMOVESETTINGS removes the settings as well
;                                  (a silent run keeps them otherwise).
; Both end a running Quenora first, as Windows does at log-off: its main window gets WM_CLOSE,
; so that it takes its icons out of the notification area and saves its position. When it
; can't be ended, the user is asked to end it; a silent run stops with error level 2 instead
; and changes nothing. A silent setup starts the Quenora it ended again when it is through
; (the same program file, as the same user); the wizard offers it on its last page instead.

Unicode true
SetCompressor /SOLID /FINAL lzma
ManifestDPIAware true
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!macro REQUIRE_DEFINE name
  !ifndef ${name}
    !error "${name} is not defined: build the setup with tools/dist.sh (make dist)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE FILE_VERSION
!insertmacro REQUIRE_DEFINE STAGE
!insertmacro REQUIRE_DEFINE ICON
!insertmacro REQUIRE_DEFINE OUTFILE

!define PRODUCT "Quenora"
!define VENDOR "Tarnwick Software"
!define EXE "Quenora.exe"
!define UNINSTALLER "Deinstallieren.exe"
!define WINDOW_CLASS "QuenoraForm1"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define VENDOR_KEY "Software\${VENDOR}"
!define SETTINGS_KEY "${VENDOR_KEY}\${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define SYNCHRONIZE 0x00100000
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
; TOKEN_ASSIGN_PRIMARY, TOKEN_DUPLICATE and TOKEN_QUERY: what starting a process with it needs.
!define TOKEN_START_ACCESS 0xB
!define WAIT_SECONDS 5

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} – Installation"
UninstallCaption "${PRODUCT} ${VERSION} – Deinstallation"
BrandingText "${VENDOR}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "CompanyName" "${VENDOR}"
VIAddVersionKey /LANG=1031 "FileDescription" "Installation von ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=1031 "FileVersion" "${FILE_VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${FILE_VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "© ${VENDOR}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "Willkommen bei ${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "${PRODUCT} zeigt im Infobereich der Taskleiste, wie viel Platz \
  auf Ihren Laufwerken noch frei ist, und meldet sich, wenn es eng wird.$\r$\n$\r$\n\
  Die Installation gilt nur für Ihr Benutzerkonto und braucht keine Administratorrechte.\
  $\r$\n$\r$\nKlicken Sie auf »Weiter«, um fortzufahren."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} ist bereit"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} wurde auf Ihrem Computer installiert. Sie finden es \
  im Startmenü.$\r$\n$\r$\nKlicken Sie auf »Fertig stellen«, um den Assistenten zu schließen."
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} jetzt starten"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

; Ends a running Quenora: WM_CLOSE to its main window, then up to WAIT_SECONDS for the
; process to end (not only the window: the exe stays locked until the process is gone).
; When it still runs, the user may end it and retry; silently there is nobody to ask.
; Pushes "ok" when no Quenora runs any more, "running" otherwise.
!macro DEFINE_END_RUNNING_QUENORA un
  Function ${un}EndRunningQuenora
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    StrCpy $4 "ok"
    ${Do}
      FindWindow $0 "${WINDOW_CLASS}"
      ${If} $0 = 0
        ${Break}
      ${EndIf}
      DetailPrint "${PRODUCT} läuft noch und wird beendet …"
      StrCpy $1 0
      System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
      StrCpy $2 0
      ${If} $1 <> 0
        System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2"
      ${EndIf}
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
      ; Every 100 ms: ended when the window is gone and the process too (if it could be
      ; opened; without a handle the window is all there is to see).
      StrCpy $3 0
      ${Do}
        FindWindow $0 "${WINDOW_CLASS}"
        ${If} $0 = 0
          ${If} $2 P= 0
            ${Break}
          ${EndIf}
          System::Call "kernel32::WaitForSingleObject(p r2, i 0) i .r1"
          ${If} $1 = 0
            ${Break}
          ${EndIf}
        ${EndIf}
        ${If} $3 >= ${WAIT_SECONDS}0
          ${Break}
        ${EndIf}
        Sleep 100
        IntOp $3 $3 + 1
      ${Loop}
      ${If} $2 P<> 0
        System::Call "kernel32::CloseHandle(p r2)"
      ${EndIf}
      ${If} $3 < ${WAIT_SECONDS}0
        ${Break}
      ${EndIf}
      DetailPrint "${PRODUCT} hat sich nicht beenden lassen."
      ${If} ${Silent}
        StrCpy $4 "running"
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} läuft noch und hat sich nicht \
        von selbst beenden lassen.$\r$\n$\r$\nBitte beenden Sie ${PRODUCT}: Klicken Sie mit \
        der rechten Maustaste auf eines seiner Symbole im Infobereich und wählen Sie \
        »Beenden«. Klicken Sie danach auf »Wiederholen«." IDRETRY retry
      StrCpy $4 "running"
      ${Break}
      retry:
    ${Loop}
    StrCpy $0 $4
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
  FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_QUENORA ""
!insertmacro DEFINE_END_RUNNING_QUENORA "un."

; The Quenora that a silent setup ends, to be started again when it is through: its program
; file ("" when none ran) and its access token (0 when it couldn't be had).
Var RestartExe
Var RestartToken

; Remembers the running Quenora, if there is one. Its window is on this desktop, so it runs in
; this session; its own token starts it again as its user even from a setup that an
; administrator started elevated.
Function RememberRunningQuenora
  StrCpy $RestartExe ""
  StrCpy $RestartToken 0
  FindWindow $0 "${WINDOW_CLASS}"
  ${If} $0 = 0
    Return
  ${EndIf}
  StrCpy $RestartExe "$INSTDIR\${EXE}"
  StrCpy $1 0
  System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
  StrCpy $2 0
  ${If} $1 <> 0
    System::Call "kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r1) p .r2"
  ${EndIf}
  ${If} $2 P= 0
    Return
  ${EndIf}
  System::Call "kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r4, \
    *i ${NSIS_MAX_STRLEN} r3) i .r5"
  ${If} $5 <> 0
    StrCpy $RestartExe $4
  ${EndIf}
  System::Call "advapi32::OpenProcessToken(p r2, i ${TOKEN_START_ACCESS}, *p .r6) i .r5"
  ${If} $5 <> 0
    StrCpy $RestartToken $6
  ${EndIf}
  System::Call "kernel32::CloseHandle(p r2)"
FunctionEnd

; Starts the Quenora that RememberRunningQuenora found. With its own token when the setup may
; do that (an elevated setup may, a setup without elevation may not: it then runs as that
; user already), from its own folder, so that it keeps no other folder in use.
Function StartQuenoraAgain
  ${If} $RestartExe == ""
    Return
  ${EndIf}
  StrCpy $5 $RestartExe
  StrCpy $6 '"$RestartExe"'
  ${GetParent} $RestartExe $7
  StrCpy $0 0
  ${If} $RestartToken P<> 0
    System::Call "*(&l4, p 0, p 0, p 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, &i2 0, &i2 0, \
      p 0, p 0, p 0, p 0) p .r1"
    System::Call "*(p 0, p 0, i 0, i 0) p .r2"
    System::Call "advapi32::CreateProcessWithTokenW(p $RestartToken, i 0, w r5, w r6, i 0, p 0, \
      w r7, p r1, p r2) i .r0"
    ${If} $0 <> 0
      System::Call "*$2(p .r3, p .r4)"
      System::Call "kernel32::CloseHandle(p r3)"
      System::Call "kernel32::CloseHandle(p r4)"
    ${EndIf}
    System::Free $1
    System::Free $2
    System::Call "kernel32::CloseHandle(p $RestartToken)"
    StrCpy $RestartToken 0
  ${EndIf}
  ${If} $0 = 0
    SetOutPath $7
    Exec '"$5"'
  ${EndIf}
  StrCpy $RestartExe ""
FunctionEnd

Section "${PRODUCT}" SectionProgram
  SectionIn RO
  ${If} ${Silent}
    Call RememberRunningQuenora
  ${EndIf}
  Call EndRunningQuenora
  Pop $0
  ${If} $0 != "ok"
    SetErrorLevel 2
    Abort "${PRODUCT} läuft noch. Die Installation wurde abgebrochen, es wurde nichts verändert."
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  SetOutPath "$INSTDIR\hilfe"
  File /r "${STAGE}\hilfe\*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" \
    "Zeigt den freien Platz Ihrer Laufwerke im Infobereich"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${VENDOR}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KB: what this setup wrote (the section's files, as makensis counted them, and the
  ; uninstaller), not whatever else lies in the folder.
  SectionGetSize ${SectionProgram} $0
  FileOpen $1 "$INSTDIR\${UNINSTALLER}" r
  FileSeek $1 0 END $2
  FileClose $1
  IntOp $2 $2 + 1023
  IntOp $2 $2 / 1024
  IntOp $0 $0 + $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} ${Silent}
    Call StartQuenoraAgain
  ${EndIf}
SectionEnd

Var RemoveSettings

Function un.onInit
  StrCpy $RemoveSettings 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningQuenora
  Pop $0
  ${If} $0 != "ok"
    SetErrorLevel 2
    Abort "${PRODUCT} läuft noch. Die Deinstallation wurde abgebrochen, es wurde nichts entfernt."
  ${EndIf}

  ; Only what the setup put there: files of the user's own in the folder stay, and so does
  ; the folder then.
  Delete "$INSTDIR\${EXE}"
  !include "${STAGE}\uninstall-files.nsh"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  ; A shortcut in the Startup folder is how older setups started the program.
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ${If} $RemoveSettings = 0
  ${AndIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Sollen auch Ihre Einstellungen für \
      ${PRODUCT} entfernt werden (überwachte Laufwerke, Alarmgrenze, Prüfintervall und \
      Fensterposition)?$\r$\n$\r$\nWählen Sie »Nein«, wenn Sie ${PRODUCT} später wieder \
      installieren und Ihre Einstellungen behalten möchten." IDNO keep_settings
    StrCpy $RemoveSettings 1
    keep_settings:
  ${EndIf}
  ${If} $RemoveSettings = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${VENDOR_KEY}"
  ${EndIf}
SectionEnd
