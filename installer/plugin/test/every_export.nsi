; Calls every export of the plug-in the way an installer script does and writes what each left
; behind, one "name=value" line each, to ${RESULTS}. Built by the installer test with
;   -DTARGET=<x86-unicode|amd64-unicode> -DPLUGINS=<folder of setupplugin.dll>
;   -DRESULTS=<results file> -DWORK=<scratch folder> -DOUT=<installer>
Unicode true
Target ${TARGET}
!addplugindir /${TARGET} "${PLUGINS}"
OutFile "${OUT}"
SilentInstall silent
RequestExecutionLevel user
ShowInstDetails nevershow

!include LogicLib.nsh

Var results

!macro Reset
  StrCpy $R0 "unset"
  StrCpy $R1 "unset"
!macroend

!macro Line name value
  FileWrite $results "${name}=${value}$\r$\n"
!macroend

Section
  FileOpen $results "${RESULTS}" w
  ${If} $results == ""
    Abort
  ${EndIf}
  ; Everything below must leave this where it is.
  Push "sentinel"

  !insertmacro Reset
  setupplugin::SHA1 "abc"
  !insertmacro Line sha1.abc $R0
  !insertmacro Reset
  setupplugin::SHA1 ""
  !insertmacro Line sha1.empty $R0
  !insertmacro Reset
  setupplugin::SHA1 "The quick brown fox jumps over the lazy dog"
  !insertmacro Line sha1.fox $R0

  !insertmacro Reset
  CreateDirectory "${WORK}"
  setupplugin::CreateShortCut "${WORK}\Parental Control.lnk" "$SYSDIR\notepad.exe" "Quarvo.ParentalControl"
  !insertmacro Line shortcut.status $R0
  ${If} ${FileExists} "${WORK}\Parental Control.lnk"
    !insertmacro Line shortcut.saved 1
  ${Else}
    !insertmacro Line shortcut.saved 0
  ${EndIf}

  !insertmacro Reset
  setupplugin::KillProc "nosuch.exe"
  !insertmacro Line killproc.nosuch $R0

  !insertmacro Reset
  setupplugin::BrowserRunning
  !insertmacro Line browserrunning.status $R0
  !insertmacro Line browserrunning.found $R1

  !insertmacro Reset
  setupplugin::UnlockProxies
  !insertmacro Line unlockproxies.R0 $R0

  setupplugin::InstallProvider
  Pop $0
  !insertmacro Line installprovider $0
  setupplugin::UninstallProvider
  Pop $0
  !insertmacro Line uninstallprovider $0

  Pop $0
  !insertmacro Line sentinel $0
  FileClose $results
SectionEnd
