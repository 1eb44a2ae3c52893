; Quenora's setup program, in German: a per-user installation without administrator rights,
; or with /ALLUSERS one for the whole machine.
;
; tools/dist.sh (`make dist`) stages the files and builds it:
;   makensis -DVERSION=1.0.24 -DFILE_VERSION=1.00.0024 -DSTAGE=<folder> -DICON=<app.ico>
;            -DOUTFILE=<setup.exe> installer/Quenora.nsi
; STAGE holds Quenora.exe, its help (hilfe\) and uninstall-files.nsh, the list of the help's
; files and folders that the uninstaller removes again (written by dist.sh from that folder).
; -DTEST_HOOKS makes the build that only tools/test-dist.sh runs (see TEST_HOOKS below).
;
; The setup's command line:        /S silent, /D=<folder> another installation folder,
;                                  /ALLUSERS for the whole machine (see below).
; The uninstaller's command line:  /S silent, /REMOVESETTINGS removes the settings as well
;                                  (a silent run keeps them otherwise).
; Both end a running Quenora first, as Windows does at log-off: its main window gets WM_CLOSE,
; so that it takes its icons out of the notification area and saves its position. When it
; can't be ended, the user is asked to end it; a silent run stops with error level 2 instead
; and changes nothing. A silent setup starts the Quenora it ended again when it is through,
; when that was the installed Quenora.exe, and only as the user it ran as: an elevated setup
; that can't do that leaves it to the next logon. The wizard offers it on its last page instead.
;
; For the whole machine: /ALLUSERS, in a setup started with administrator rights (winget's
; machine scope starts it so). It installs into $PROGRAMFILES\Quenora (the 32-bit Program
; Files, "C:\Program Files (x86)" on 64-bit Windows) unless /D= names another folder, with
; the Start-menu shortcut for all users, the uninstall entry of the same name "Quenora"
; under HKLM, and the event source "Quenora" of the Application log. Autostart for every
; user is an Active Setup entry (HKLM, in the native registry view): at each user's next
; logon Windows runs its StubPath once for that user, the installed uninstaller with
; /USERAUTOSTART, which writes the user's own Run value "Quenora" (the path in
; quotes and " /AUTOSTART", as the program writes it) unless the user has one already that
; starts a program file that is there. The program's
; checkbox shows and changes only that per-user value, so each user can switch it off; a Run
; value under HKLM would start Quenora for everyone with the checkbox unchecked and deaf.
; The entry keeps its Version across updates, so that an update doesn't switch autostart on
; again for users who switched it off; a new installation after an uninstall gets a new one.
; Without administrator rights /ALLUSERS stops at once with error level 3 and changes nothing.
; Every user starts the installed Quenora.exe, and Active Setup and administrators the
; uninstaller beside it: a folder outside Program Files and Windows, which would inherit what
; its parent allows (a drive's root lets every user change what is in it), gets their rights
; instead, or nothing is installed (error level 5; a drive's root is refused that way too).
; The wizard stays per user (it runs without elevation); with /ALLUSERS it installs for all.
;
; The uninstaller knows which installation it belongs to by its folder: the one of the HKLM
; entry makes it the machine's uninstaller, which needs administrator rights, removes the
; machine's files, shortcut, entry, Active Setup entry and event source, and the Run value of
; the user who runs it when that points at its Quenora.exe; settings belong to the users and
; stay (it ignores /REMOVESETTINGS). Either uninstaller removes a Run value only when it
; points at its own Quenora.exe, and ends a running Quenora only when it runs from its own
; folder; so does the machine's setup. A per-user and a machine installation live side by
; side: two entries under Apps ("Quenora" and "Quenora (alle Benutzer)"), one Run value per
; user that starts whichever copy set it, one set of settings per user that both copies share,
; and one running Quenora per user session, whichever copy started first.
;
; Error levels (the exit code of a silent run), of the setup and the uninstaller alike:
;   0  done
;   1  cancelled by the user (the wizard)
;   2  Quenora runs and couldn't be ended; nothing was changed
;   3  /ALLUSERS, or the machine's uninstaller, without administrator rights; nothing changed
;   4  a file or registry value couldn't be written (the setup stops there) or removed (the
;      uninstaller removes all else)
;   5  /ALLUSERS into a folder whose rights couldn't be made those of Program Files; nothing
;      was installed
; An uninstaller started without _?=<folder> (as Windows starts it) copies itself to the temp
; folder, starts the copy and ends with 0 at once; the copy's level is the one above.

Unicode true
SetCompressor /SOLID /FINAL lzma
ManifestDPIAware true
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include x64.nsh

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
!define MACHINE_DISPLAY_NAME "${PRODUCT} (alle Benutzer)"
!define ACTIVE_SETUP_KEY "Software\Microsoft\Active Setup\Installed Components\${PRODUCT}"
; The event source of Quenora's alarms in the Application log: the event viewer reads their
; texts from the message table in the exe it names. Only a machine installation may write it.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${PRODUCT}"
; The uninstaller's switch that Active Setup runs it with at a user's logon.
!define USER_AUTOSTART_SWITCH "/USERAUTOSTART"
!define EXIT_STILL_RUNNING 2
!define EXIT_NO_RIGHTS 3
!define EXIT_WRITE_FAILED 4
!define EXIT_FOLDER_UNSAFE 5
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
  $WelcomeScopeText$\r$\n$\r$\nKlicken Sie auf »Weiter«, um fortzufahren."
; 1 when this run installs or uninstalls for the whole machine.
Var MachineWide
Var WelcomeScopeText
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} ist bereit"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} wurde auf Ihrem Computer installiert. Sie finden es \
  im Startmenü.$\r$\n$\r$\nKlicken Sie auf »Fertig stellen«, um den Assistenten zu schließen."
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} jetzt starten"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

!ifdef TEST_HOOKS
; A build for tools/test-dist.sh only, never handed out. Wine runs every program elevated and
; starts any program with any token, so the test plays the rest on the command line:
;   /TESTELEVATED=1 or =0   the setup takes itself for elevated (with administrator rights)
;                           or not
;   /TESTTOKENFAILS         starting with the user's token fails
;   /TESTLOG=<file>         the details of the restart and of the folder's rights go to this
;                           file too (a silent run shows none)
;   /TESTACLFAILS           setting the folder's rights fails (wine has no rights to set:
;                           its icacls changes nothing and says it succeeded)
Var TestElevated
Var TestTokenFails
Var TestLog
Var TestAclFails
!macro DEFINE_READ_TEST_HOOKS un
Function ${un}ReadTestHooks
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
  ClearErrors
  ${GetOptions} $0 "/TESTACLFAILS" $1
  ${If} ${Errors}
    StrCpy $TestAclFails 0
  ${Else}
    StrCpy $TestAclFails 1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_READ_TEST_HOOKS ""
!insertmacro DEFINE_READ_TEST_HOOKS "un."
!endif

; NormalisePath pushes the path on the stack in one spelling: full (no "..", no "/") and, where
; it exists, long (no 8.3 names). Compared without regard to case, two spellings of a file
; then match, which is what SamePath does.
!macro DEFINE_NORMALISE_PATH un
  Function ${un}NormalisePath
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

  ; Takes two paths from the stack; pushes 1 when they name one file, else 0.
  Function ${un}SamePath
    Exch $0
    Exch
    Exch $1
    Push $2
    Push $0
    Call ${un}NormalisePath
    Pop $0
    Push $1
    Call ${un}NormalisePath
    Pop $1
    System::Call "kernel32::CompareStringOrdinal(w r0, i -1, w r1, i -1, i 1) i .r2"
    ${If} $2 = ${CSTR_EQUAL}
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
  FunctionEnd
!macroend
!insertmacro DEFINE_NORMALISE_PATH ""
!insertmacro DEFINE_NORMALISE_PATH "un."

; Pushes 1 when the Quenora.exe running as process $0 (an id) is another than the one in
; $INSTDIR, else 0 (also when its file can't be told: then it may be this one).
!macro DEFINE_RUNS_ELSEWHERE un
  Function ${un}RunsElsewhere
    Exch $0
    Push $1
    Push $2
    Push $3
    StrCpy $3 0
    System::Call "kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r0) p .r1"
    ${If} $1 P<> 0
      System::Call "kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r0, \
        *i ${NSIS_MAX_STRLEN}) i .r2"
      System::Call "kernel32::CloseHandle(p r1)"
      ${If} $2 <> 0
        Push $0
        Push "$INSTDIR\${EXE}"
        Call ${un}SamePath
        Pop $2
        ${If} $2 = 0
          StrCpy $3 1
        ${EndIf}
      ${EndIf}
    ${EndIf}
    StrCpy $0 $3
    Pop $3
    Pop $2
    Pop $1
    Exch $0
  FunctionEnd
!macroend
!insertmacro DEFINE_RUNS_ELSEWHERE ""
!insertmacro DEFINE_RUNS_ELSEWHERE "un."

; Pushes 1 when the program has administrator rights: a member of the administrators with
; them in its token (elevated), else 0.
!macro DEFINE_HAS_ADMIN_RIGHTS un
  Function ${un}HasAdminRights
    Push $0
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
    !ifdef TEST_HOOKS
      ${If} $TestElevated != ""
        StrCpy $0 $TestElevated
      ${EndIf}
    !endif
    Exch $0
  FunctionEnd
!macroend

; Ends a running Quenora: WM_CLOSE to its main window, then up to WAIT_SECONDS for the
; process to end (not only the window: the exe stays locked until the process is gone).
; When it still runs, the user may end it and retry; silently there is nobody to ask.
; With $OnlyOurs at 1 a Quenora that runs from another folder is left alone: it locks none of
; this folder's files (one Quenora runs per user session, so the window found is the one).
; Pushes "ok" when no Quenora runs any more (or only another copy), "running" otherwise.
Var OnlyOurs
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
      StrCpy $1 0
      System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
      ${If} $OnlyOurs = 1
      ${AndIf} $1 <> 0
        Push $1
        Call ${un}RunsElsewhere
        Pop $2
        ${If} $2 = 1
          DetailPrint "${PRODUCT} läuft aus einem anderen Ordner und bleibt."
          ${Break}
        ${EndIf}
      ${EndIf}
      DetailPrint "${PRODUCT} läuft noch und wird beendet …"
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
!insertmacro DEFINE_HAS_ADMIN_RIGHTS ""
!insertmacro DEFINE_HAS_ADMIN_RIGHTS "un."
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


; /ALLUSERS: for the whole machine, when the setup has the rights for it; otherwise it stops
; before anything is changed. Its folder is the one of /D=, else the machine installation's
; folder, else Program Files; $INSTDIR comes with the per-user folder when /D= didn't set it.
Function .onInit
  !ifdef TEST_HOOKS
    Call ReadTestHooks
  !endif
  StrCpy $MachineWide 0
  StrCpy $OnlyOurs 0
  StrCpy $WelcomeScopeText "Die Installation gilt nur für Ihr Benutzerkonto und braucht \
    keine Administratorrechte."
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${If} ${Errors}
    Return
  ${EndIf}
  Call HasAdminRights
  Pop $1
  ${If} $1 <> 1
    MessageBox MB_OK|MB_ICONSTOP "Für die Installation für alle Benutzer (/ALLUSERS) braucht \
      die Installation Administratorrechte. Starten Sie sie als Administrator, oder ohne \
      /ALLUSERS, dann wird ${PRODUCT} nur für Sie installiert." /SD IDOK
    SetErrorLevel ${EXIT_NO_RIGHTS}
    Quit
  ${EndIf}
  StrCpy $MachineWide 1
  StrCpy $OnlyOurs 1
  StrCpy $WelcomeScopeText "Die Installation gilt für alle Benutzer dieses Computers: \
    ${PRODUCT} startet für jeden von ihnen bei der nächsten Anmeldung automatisch."
  ; Still in the user's context: $LOCALAPPDATA is the user's own here.
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $INSTDIR == "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${OrIf} $INSTDIR == $1
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 != ""
      StrCpy $INSTDIR $1
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
  SetShellVarContext all
FunctionEnd

; An elevated wizard would start Quenora with its administrator rights: not for the machine.
Function FinishPageShow
  ${If} $MachineWide = 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} 0 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

!macro LOGGED_DETAIL text
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
  StrCpy $0 0
  ${If} $QuenoraRanFrom != ""
    Push $QuenoraRanFrom
    Push "$INSTDIR\${EXE}"
    Call SamePath
    Pop $0
  ${EndIf}
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
    !insertmacro LOGGED_DETAIL "${PRODUCT} wird nicht wieder gestartet: Es ließ sich nicht \
      feststellen, aus welchem Ordner es lief."
  ${ElseIf} $0 = 0
    ; The machine's setup leaves a Quenora from elsewhere running: nothing to start again.
    ${If} $OnlyOurs <> 1
      !insertmacro LOGGED_DETAIL "${PRODUCT} lief aus »$QuenoraRanFrom«, nicht aus dem \
        Installationsordner, und wird nicht wieder gestartet."
    ${EndIf}
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
      !insertmacro LOGGED_DETAIL "${PRODUCT} wurde wieder gestartet."
    ${ElseIf} $1 = 0
      !insertmacro LOGGED_DETAIL "${PRODUCT} ließ sich nicht wieder starten."
    ${Else}
      !insertmacro LOGGED_DETAIL "${PRODUCT} wird nicht wieder gestartet: Es ließ sich nicht \
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

!macro ABORT_ON_WRITE_ERRORS
  ${If} ${Errors}
    SetErrorLevel ${EXIT_WRITE_FAILED}
    Abort "${PRODUCT} ließ sich nicht vollständig installieren: Eine Datei oder ein Eintrag in \
      der Registrierung konnte nicht geschrieben werden."
  ${EndIf}
!macroend

; InstallFolderKind's test whether the normalised $0 lies in the folder ${folder} (or is it).
!macro IF_IN_FOLDER folder
  Push "${folder}"
  Call NormalisePath
  Pop $1
  StrLen $3 "$1\"
  StrCpy $3 "$0\" $3
  ${If} $3 == "$1\"
    StrCpy $2 1
  ${EndIf}
!macroend

; Pushes 1 when $INSTDIR is a folder whose rights only administrators change, Program Files
; (either view) or Windows or a folder in them; 2 when it is a drive's root; else 0.
Function InstallFolderKind
  Push $0
  Push $1
  Push $2
  Push $3
  Push $INSTDIR
  Call NormalisePath
  Pop $0
  StrCpy $2 0
  !insertmacro IF_IN_FOLDER $PROGRAMFILES32
  !insertmacro IF_IN_FOLDER $PROGRAMFILES64
  !insertmacro IF_IN_FOLDER $WINDIR
  StrLen $1 $0
  ${If} $1 <= 3
    StrCpy $2 2
  ${EndIf}
  StrCpy $0 $2
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; One icacls call of SecureMachineFolder, made while all before it succeeded ($1 is 1); sets $1
; to 0 when it fails. icacls from the system folder, never one that lies beside the setup.
!macro ICACLS arguments
  ${If} $1 = 1
    StrCpy $0 '"$SYSDIR\icacls.exe" "$INSTDIR" ${arguments}'
    !insertmacro LOGGED_DETAIL "$0"
    !ifdef TEST_HOOKS
      ${If} $TestAclFails = 1
        Push 1
      ${Else}
    !endif
    nsExec::ExecToLog $0
    !ifdef TEST_HOOKS
      ${EndIf}
    !endif
    Pop $0
    ${If} $0 != "0"
      StrCpy $1 0
    ${EndIf}
  ${EndIf}
!macroend

; Gives the machine's folder the rights of Program Files (see the top) where it doesn't have
; them by its place: administrators and SYSTEM full control, users read and execute, nothing
; inherited. The administrators become its owner, and whatever lay in it before loses rights of
; its own, so that a user who made the folder beforehand keeps no way to change it. Accounts go
; by their well-known SIDs, which every language of Windows knows. A drive's root is refused:
; its rights are the whole drive's. Pushes 1 when done or not needed, else 0.
Function SecureMachineFolder
  Push $0
  Push $1
  CreateDirectory "$INSTDIR"
  Call InstallFolderKind
  Pop $0
  StrCpy $1 1
  ${If} $0 = 2
    StrCpy $1 0
  ${ElseIf} $0 = 0
    !insertmacro ICACLS "/setowner *S-1-5-32-544 /T /Q"
    !insertmacro ICACLS "/reset /T /Q"
    !insertmacro ICACLS "/inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F \
      *S-1-5-32-545:(OI)(CI)RX /Q"
  ${EndIf}
  StrCpy $0 $1
  Pop $1
  Exch $0
FunctionEnd

; Autostart for every user of the machine, each in their own Run value (see the top): the
; Active Setup entry in the registry view that Windows' own logon reads. Its Version stays
; what it is on an update, so that users who switched autostart off keep it off; a new
; installation gets the time as a new one, so that every user gets autostart (again).
; Leaves the error flag set when a value couldn't be written.
Function WriteActiveSetupEntry
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ReadRegStr $1 HKLM "${ACTIVE_SETUP_KEY}" "Version"
  ${If} $1 == ""
    ${GetTime} "" "L" $2 $3 $4 $5 $6 $7 $8
    StrCpy $1 "$4,$3$2,$6$7,$8"
  ${EndIf}
  ClearErrors
  WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "" "${PRODUCT}"
  WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "StubPath" \
    '"$INSTDIR\${UNINSTALLER}" ${USER_AUTOSTART_SWITCH} _?=$INSTDIR'
  WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "Version" "$1"
  WriteRegDWORD HKLM "${ACTIVE_SETUP_KEY}" "IsInstalled" 1
  SetRegView default
FunctionEnd

Section "${PRODUCT}" SectionProgram
  SectionIn RO
  ${If} ${Silent}
    Call RememberRunningQuenora
  ${EndIf}
  Call EndRunningQuenora
  Pop $0
  ${If} $0 != "ok"
    SetErrorLevel ${EXIT_STILL_RUNNING}
    Abort "${PRODUCT} läuft noch. Die Installation wurde abgebrochen, es wurde nichts verändert."
  ${EndIf}

  ${If} $MachineWide = 1
    StrCpy $1 ""
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
      StrCpy $1 "new"
    ${EndIf}
    Call SecureMachineFolder
    Pop $0
    ${If} $0 <> 1
      ${If} $1 == "new"
        RMDir "$INSTDIR"
      ${EndIf}
      SetErrorLevel ${EXIT_FOLDER_UNSAFE}
      Abort "${PRODUCT} wird nicht für alle Benutzer in »$INSTDIR« installiert: Die Rechte des \
        Ordners ließen sich nicht so setzen, dass nur Administratoren ihn ändern können. Wählen \
        Sie einen Ordner unter »Programme« oder einen anderen Ordner."
    ${EndIf}
  ${EndIf}

  ; From here on every write counts: File, CreateShortcut and WriteReg* set the error flag
  ; when they fail (a file the setup can't replace, a key it may not write).
  ClearErrors

  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  SetOutPath "$INSTDIR\hilfe"
  File /r "${STAGE}\hilfe\*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" \
    "Zeigt den freien Platz Ihrer Laufwerke im Infobereich"

  ${If} $MachineWide = 1
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${MACHINE_DISPLAY_NAME}"
  ${Else}
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${VENDOR}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro ABORT_ON_WRITE_ERRORS
  ${If} $MachineWide = 1
    Call WriteActiveSetupEntry
    !insertmacro ABORT_ON_WRITE_ERRORS
    ; Errors, warnings and information (1 + 2 + 4).
    WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${EXE}"
    WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
    !insertmacro ABORT_ON_WRITE_ERRORS
  ${EndIf}

  ; In KB: what this setup wrote (the section's files, as makensis counted them, and the
  ; uninstaller), not whatever else lies in the folder.
  SectionGetSize ${SectionProgram} $0
  FileOpen $1 "$INSTDIR\${UNINSTALLER}" r
  FileSeek $1 0 END $2
  FileClose $1
  IntOp $2 $2 + 1023
  IntOp $2 $2 / 1024
  IntOp $0 $0 + $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} ${Silent}
    Call StartQuenoraAgain
  ${EndIf}
SectionEnd

Var RemoveSettings

; Pushes 1 when this uninstaller's folder is the machine installation's (that of the HKLM
; entry), else 0.
Function un.IsMachineInstallation
  Push $0
  Push $1
  StrCpy $0 0
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != ""
    Push $1
    Push $INSTDIR
    Call un.SamePath
    Pop $0
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; What Active Setup runs once for each user at logon after a machine installation: the
; user's Run value, as the program itself writes it (the path in quotes: unquoted, Windows
; would try each blank as the path's end, and start D:\Werkzeuge.exe for
; D:\Werkzeuge Neu\Quenora.exe), unless the user has one already (their own copy's, or none
; wanted: autostart that the user switched off has no value, and Active Setup runs this only
; once per user and entry version). One whose program file is gone (its copy was uninstalled)
; starts nothing, and the program's box shows it off: it is written anew.
Function un.WriteUserAutostart
  ClearErrors
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${IfNot} ${Errors}
    Push $0
    Call un.RunValueProgram
    Pop $0
    ${If} ${FileExists} $0
      Return
    ${EndIf}
  ${EndIf}
  ClearErrors
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${EXE}" /AUTOSTART'
  ${If} ${Errors}
    SetErrorLevel ${EXIT_WRITE_FAILED}
  ${EndIf}
FunctionEnd

; Takes a Run value's command from the stack; pushes the program file it starts: the path in
; quotes, as the program writes it, or without them up to " /AUTOSTART", as older setups did.
Function un.RunValueProgram
  Exch $0
  Push $1
  Push $2
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $0 $0 "" 1
    StrCpy $2 0
    ${Do}
      StrCpy $1 $0 1 $2
      ${If} $1 == '"'
      ${OrIf} $1 == ""
        ${Break}
      ${EndIf}
      IntOp $2 $2 + 1
    ${Loop}
    StrCpy $0 $0 $2
  ${Else}
    StrCpy $1 $0 "" -11
    ${If} $1 == " /AUTOSTART"
      StrCpy $0 $0 -11
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Removes the user's Run value "Quenora" when it starts this folder's Quenora.exe. A value that
; starts another copy is that copy's.
Function un.DeleteOwnRunValue
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 == ""
    Return
  ${EndIf}
  Push $0
  Call un.RunValueProgram
  Push "$INSTDIR\${EXE}"
  Call un.SamePath
  Pop $0
  ${If} $0 = 1
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${Else}
    DetailPrint "Der Autostart-Eintrag startet ein anderes ${PRODUCT} und bleibt."
  ${EndIf}
FunctionEnd

Function un.onInit
  !ifdef TEST_HOOKS
    Call un.ReadTestHooks
  !endif
  StrCpy $RemoveSettings 0
  StrCpy $OnlyOurs 1
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "${USER_AUTOSTART_SWITCH}" $1
  ${IfNot} ${Errors}
    ; Quit alone would end with error level 2.
    SetErrorLevel 0
    Call un.WriteUserAutostart
    Quit
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
  Call un.IsMachineInstallation
  Pop $MachineWide
  ${If} $MachineWide = 1
    Call un.HasAdminRights
    Pop $1
    ${If} $1 <> 1
      MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} ist für alle Benutzer installiert. Zum \
        Deinstallieren braucht es Administratorrechte: Starten Sie die Deinstallation als \
        Administrator." /SD IDOK
      SetErrorLevel ${EXIT_NO_RIGHTS}
      Quit
    ${EndIf}
    SetShellVarContext all
    ; The settings are each user's own, and a copy of the user's own may still use them.
    StrCpy $RemoveSettings 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningQuenora
  Pop $0
  ${If} $0 != "ok"
    SetErrorLevel ${EXIT_STILL_RUNNING}
    Abort "${PRODUCT} läuft noch. Die Deinstallation wurde abgebrochen, es wurde nichts entfernt."
  ${EndIf}

  ; Only what the setup put there: files of the user's own in the folder stay, and so does
  ; the folder then.
  Delete "$INSTDIR\${EXE}"
  !include "${STAGE}\uninstall-files.nsh"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  ${If} $MachineWide = 0
    ; A shortcut in the Startup folder is how older setups started the program.
    Delete "$SMSTARTUP\${PRODUCT}.lnk"
  ${EndIf}
  Call un.DeleteOwnRunValue
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${If} $MachineWide = 1
    ${If} ${RunningX64}
      SetRegView 64
    ${EndIf}
    DeleteRegKey HKLM "${ACTIVE_SETUP_KEY}"
    ReadRegStr $1 HKLM "${ACTIVE_SETUP_KEY}" "StubPath"
    SetRegView default
    ; The events already written stay in the log; the viewer shows their values without text.
    DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
    ReadRegStr $3 HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile"
    StrCpy $1 "$1$3"
  ${Else}
    StrCpy $1 ""
  ${EndIf}

  ; What should be gone and isn't (a file in use by another user's Quenora, no right to a key)
  ; makes the error level; the rest is done all the same.
  ReadRegStr $2 SHCTX "${UNINSTALL_KEY}" "UninstallString"
  ${If} ${FileExists} "$INSTDIR\${EXE}"
  ${OrIf} ${FileExists} "${SHORTCUT}"
  ${OrIf} $1 != ""
  ${OrIf} $2 != ""
    DetailPrint "Nicht alles ließ sich entfernen."
    SetErrorLevel ${EXIT_WRITE_FAILED}
  ${EndIf}

  ${If} $MachineWide = 0
  ${AndIf} $RemoveSettings = 0
  ${AndIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Sollen auch Ihre Einstellungen für \
      ${PRODUCT} entfernt werden (überwachte Laufwerke, Alarmgrenze, Prüfintervall, \
      Fensterposition und der aufgezeichnete Verlauf der Laufwerke)?$\r$\n$\r$\nWählen Sie »Nein«, wenn Sie ${PRODUCT} später wieder \
      installieren und Ihre Einstellungen behalten möchten." IDNO keep_settings
    StrCpy $RemoveSettings 1
    keep_settings:
  ${EndIf}
  ${If} $RemoveSettings = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${VENDOR_KEY}"
    ; The drives' recorded history goes with them; the folders above it only when empty.
    RMDir /r "$LOCALAPPDATA\Tarnwick Software\${PRODUCT}\Verlauf"
    RMDir "$LOCALAPPDATA\Tarnwick Software\${PRODUCT}"
    RMDir "$LOCALAPPDATA\Tarnwick Software"
  ${EndIf}
SectionEnd
