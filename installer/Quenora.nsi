; Quenora's setup program: a per-user installation without administrator rights, in German.
;
; tools/dist.sh (`make dist`) stages the files and builds it:
;   makensis -DVERSION=1.0.24 -DFILE_VERSION=1.00.0024 -DSTAGE=<folder> -DICON=<app.ico>
;            -DOUTFILE=<setup.exe> installer/Quenora.nsi
; STAGE holds Quenora.exe, its help (hilfe\) and uninstall-files.nsh, the list of the help's
; files and folders that the uninstaller removes again (written by dist.sh from that folder).
; -DTEST_HOOKS makes the build that only tools/test-dist.sh runs (see TEST_HOOKS below).
;
; The setup's command line:        /S silent, /D=<folder> another installation folder.
; The uninstaller's command line:  /S silent, /REMOVESETTINGS removes the settings as well
;                                  (a silent run keeps them otherwise).
; Both end a running Quenora first, as Windows does at log-off: its main window gets WM_CLOSE,
; so that it takes its icons out of the notification area and saves its position. When it
; can't be ended, the user is asked to end it; a silent run stops with error level 2 instead
; and changes nothing. A silent setup starts the Quenora it ended again when it is through,
; when that was the installed Quenora.exe, and only as the user it ran as: an elevated setup
; that can't do that leaves it to the next logon. The wizard offers it on its last page instead.

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
!define TOKEN_QUERY 0x8
; TokenElevation, of GetTokenInformation's classes.
!define TOKEN_ELEVATION 20
!define CSTR_EQUAL 2
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

; The Quenora that a silent setup ends, to be started again when it is through: whether one
; ran (1 or 0), its program file as Windows names it ("" when that couldn't be read) and the
; access token of its user (0 when it couldn't be had).
Var QuenoraRan
Var QuenoraRanFrom
Var QuenoraUserToken

; Remembers the running Quenora, if there is one. Its window is on this desktop, so it runs in
; this session, as the user the setup starts it again for.
Function RememberRunningQuenora
  StrCpy $QuenoraRan 0
  StrCpy $QuenoraRanFrom ""
  StrCpy $QuenoraUserToken 0
  FindWindow $0 "${WINDOW_CLASS}"
  ${If} $0 = 0
    Return
  ${EndIf}
  StrCpy $QuenoraRan 1
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
    StrCpy $QuenoraRanFrom $4
  ${EndIf}
  System::Call "advapi32::OpenProcessToken(p r2, i ${TOKEN_START_ACCESS}, *p .r6) i .r5"
  ${If} $5 <> 0
    StrCpy $QuenoraUserToken $6
  ${EndIf}
  System::Call "kernel32::CloseHandle(p r2)"
FunctionEnd

!ifdef TEST_HOOKS
; A build for tools/test-dist.sh only, never handed out. Wine runs every program elevated and
; starts any program with any token, so the test plays the rest on the command line:
;   /TESTELEVATED=1 or =0   the setup takes itself for elevated or not
;   /TESTTOKENFAILS         starting with the user's token fails
;   /TESTLOG=<file>         the restart's details go to this file too (a silent run shows none)
Var TestElevated
Var TestTokenFails
Var TestLog
Function .onInit
  ${GetParameters} $0
  ${GetOptions} $0 "/TESTELEVATED=" $TestElevated
  ClearErrors
  ${GetOptions} $0 "/TESTTOKENFAILS" $1
  ${If} ${Errors}
    StrCpy $TestTokenFails 0
  ${Else}
    StrCpy $TestTokenFails 1
  ${EndIf}
  ${GetOptions} $0 "/TESTLOG=" $TestLog
FunctionEnd
!endif

!macro RESTART_DETAIL text
  DetailPrint "${text}"
  !ifdef TEST_HOOKS
    ${If} $TestLog != ""
      FileOpen $9 $TestLog a
      FileSeek $9 0 END
      FileWriteUTF16LE $9 "${text}$\r$\n"
      FileClose $9
    ${EndIf}
  !endif
!macroend

; Pushes the path on the stack in one spelling: full (no "..", no "/") and, where it exists,
; long (no 8.3 names). Compared without regard to case, two spellings of a file then match.
Function NormalisePath
  Exch $0
  Push $1
  Push $2
  System::Call "kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r2"
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  System::Call "kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2"
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Pushes 1 when the setup runs with administrator rights (elevated, or as an administrator
; where Windows doesn't split the rights), else 0. 1 as well when that can't be told: in doubt
; the setup never lends a program its own rights.
Function IsSetupElevated
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 1
  System::Call "kernel32::GetCurrentProcess() p .r0"
  System::Call "advapi32::OpenProcessToken(p r0, i ${TOKEN_QUERY}, *p .r1) i .r2"
  ${If} $2 <> 0
    System::Call "advapi32::GetTokenInformation(p r1, i ${TOKEN_ELEVATION}, *i .r0, i 4, \
      *i 0) i .r2"
    ${If} $2 <> 0
    ${AndIf} $0 = 0
      System::Call "shell32::IsUserAnAdmin() i .r0"
      ${If} $0 = 0
        StrCpy $3 0
      ${EndIf}
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r1)"
  ${EndIf}
  !ifdef TEST_HOOKS
    ${If} $TestElevated != ""
      StrCpy $3 $TestElevated
    ${EndIf}
  !endif
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Starts the installed Quenora with the remembered user's token, from the installation folder.
; Pushes 1 when it started, 0 when not (no token; the secondary logon service is off; the
; token belongs to another account than the one that may use it).
Function StartWithUserToken
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $0 0
  StrCpy $4 $INSTDIR
  StrCpy $5 "$INSTDIR\${EXE}"
  StrCpy $6 '"$INSTDIR\${EXE}"'
  ${If} $QuenoraUserToken P<> 0
    System::Call "*(&l4, p 0, p 0, p 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, &i2 0, &i2 0, \
      p 0, p 0, p 0, p 0) p .r1"
    System::Call "*(p 0, p 0, i 0, i 0) p .r2"
    !ifdef TEST_HOOKS
      ${If} $TestTokenFails = 1
        StrCpy $0 0
      ${Else}
    !endif
    System::Call "advapi32::CreateProcessWithTokenW(p $QuenoraUserToken, i 0, w r5, w r6, i 0, \
      p 0, w r4, p r1, p r2) i .r0"
    !ifdef TEST_HOOKS
      ${EndIf}
    !endif
    ${If} $0 <> 0
      System::Call "*$2(p .r3, p .r4)"
      System::Call "kernel32::CloseHandle(p r3)"
      System::Call "kernel32::CloseHandle(p r4)"
      StrCpy $0 1
    ${EndIf}
    System::Free $1
    System::Free $2
  ${EndIf}
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Pushes 1 when the remembered Quenora ran from the program file this setup installs, else 0
; (also when it isn't known where it ran from).
Function RanFromInstalledExe
  Push $0
  Push $1
  StrCpy $0 0
  ${If} $QuenoraRanFrom != ""
    Push $QuenoraRanFrom
    Call NormalisePath
    Pop $0
    Push "$INSTDIR\${EXE}"
    Call NormalisePath
    Pop $1
    System::Call "kernel32::CompareStringOrdinal(w r0, i -1, w r1, i -1, i 1) i .r0"
    ${If} $0 = ${CSTR_EQUAL}
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; Starts Quenora again when RememberRunningQuenora found one. Only the program file this setup
; just installed, and only when that is the one that ran: a file elsewhere is not the setup's
; to vouch for, and the user who ran it starts it again as they please. And only as the user
; it ran as: an elevated setup starts it with that user's token or not at all, so that the
; program never gets the setup's administrator rights. Without elevation the setup runs as that
; user already and starts it plainly.
Function StartQuenoraAgain
  ${If} $QuenoraRan <> 1
    Return
  ${EndIf}
  Call RanFromInstalledExe
  Pop $0
  ${If} $QuenoraRanFrom == ""
    !insertmacro RESTART_DETAIL "${PRODUCT} wird nicht wieder gestartet: Es ließ sich nicht \
      feststellen, aus welchem Ordner es lief."
  ${ElseIf} $0 = 0
    !insertmacro RESTART_DETAIL "${PRODUCT} lief aus »$QuenoraRanFrom«, nicht aus dem \
      Installationsordner, und wird nicht wieder gestartet."
  ${Else}
    Call IsSetupElevated
    Pop $1
    ${If} $1 = 0
      SetOutPath "$INSTDIR"
      ClearErrors
      Exec '"$INSTDIR\${EXE}"'
      ${If} ${Errors}
        StrCpy $2 0
      ${Else}
        StrCpy $2 1
      ${EndIf}
    ${Else}
      Call StartWithUserToken
      Pop $2
    ${EndIf}
    ${If} $2 = 1
      !insertmacro RESTART_DETAIL "${PRODUCT} wurde wieder gestartet."
    ${ElseIf} $1 = 0
      !insertmacro RESTART_DETAIL "${PRODUCT} ließ sich nicht wieder starten."
    ${Else}
      !insertmacro RESTART_DETAIL "${PRODUCT} wird nicht wieder gestartet: Es ließ sich nicht \
        unter dem Benutzerkonto starten, unter dem es lief, und mit den Administratorrechten \
        der Installation soll es nicht laufen. Es startet bei der nächsten Anmeldung wieder, \
        wenn es automatisch starten soll, oder Sie starten es selbst."
    ${EndIf}
  ${EndIf}

  ${If} $QuenoraUserToken P<> 0
    System::Call "kernel32::CloseHandle(p $QuenoraUserToken)"
    StrCpy $QuenoraUserToken 0
  ${EndIf}
  StrCpy $QuenoraRan 0
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
