; How an installer script uses setupplugin: each export once, with its results read the way
; the script must read them. Run silently it writes what it saw to ${REPORT}.
;   makensis -DTARGET=<x86-unicode|amd64-unicode> -DPLUGINS=<folder of setupplugin.dll>
;            -DREPORT=<report file> -DOUT=<installer> sample.nsi
Unicode true
Target ${TARGET}
!addplugindir /${TARGET} "${PLUGINS}"
OutFile "${OUT}"
Name "Parental Control"
SilentInstall silent
RequestExecutionLevel admin

!include LogicLib.nsh

Var report

!macro Report text
  FileWrite $report "${text}$\r$\n"
!macroend

Section "Set up"
  FileOpen $report "${REPORT}" w

  ; Browsers must be closed before their proxy is changed: $R0 is the walk's status, $R1 is
  ; "1" when a browser runs in the console user's session, "0" when none, "-1" when unknown.
  setupplugin::BrowserRunning
  !insertmacro Report "BrowserRunning: status $R0, browser running $R1"

  ; Stops every process of that name; $R0 is how many ended, or a negative status.
  setupplugin::KillProc "parentalcontrol-tray.exe"
  !insertmacro Report "KillProc parentalcontrol-tray.exe: $R0"

  ; Both filtering-platform exports push their status: "0" is success.
  setupplugin::InstallProvider
  Pop $0
  !insertmacro Report "InstallProvider: $0"

  ; Shortcut path, target and application identifier; $R0 is "0" or a negative status.
  CreateDirectory "$TEMP\Parental Control"
  setupplugin::CreateShortCut "$TEMP\Parental Control\Parental Control.lnk" "$SYSDIR\notepad.exe" \
                              "Quarvo.ParentalControl"
  !insertmacro Report "CreateShortCut: $R0"
  ${If} ${FileExists} "$TEMP\Parental Control\Parental Control.lnk"
    !insertmacro Report "  the shortcut is there"
  ${EndIf}

  ; The parent's password is kept only as a digest: $R0 is 40 hexadecimal digits, or empty.
  setupplugin::SHA1 "correct horse battery staple"
  !insertmacro Report "SHA1 of the sample password: $R0"

  ; What removal does: every browser gets its network back.
  setupplugin::UnlockProxies
  !insertmacro Report "UnlockProxies: done (it reports nothing)"
  setupplugin::UninstallProvider
  Pop $0
  !insertmacro Report "UninstallProvider: $0"

  FileClose $report
SectionEnd
