# Sourced by wine-run and scripts/test: the project's private Wine prefix.
# The prefix lives in the build tree (never the user's ~/.wine), reports Windows 10, uses the
# null graphics driver so windows, timers and message boxes work without an X server, and is
# recreated when 32-bit Wine has been installed since it was made (an older prefix cannot
# start 32-bit programs).

QUARVO_REPO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export WINEPREFIX="${QUARVO_WINEPREFIX:-$QUARVO_REPO_ROOT/build/wine-prefix}"
export WINEDEBUG="${QUARVO_WINEDEBUG:--all}"
# No Mono or Gecko install prompts: nothing here needs .NET or HTML rendering. A test's own
# overrides (a stub DLL beside it) come after ours.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEARCH=win64

quarvo_wine32_installed() {
  [ -e /usr/lib/i386-linux-gnu/wine/i386-windows/ntdll.dll ] || [ -e /usr/lib/wine/i386-windows/ntdll.dll ]
}

# Installed is not enough: a kernel built without 32-bit support refuses the 32-bit loader.
quarvo_wine32_runs() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

quarvo_wine32_available() { quarvo_wine32_installed && quarvo_wine32_runs; }

# Why 32-bit Wine cannot run here, or nothing when it can.
quarvo_wine32_unavailable_reason() {
  quarvo_wine32_installed || { echo "32-bit Wine (wine32:i386) is not installed"; return; }
  quarvo_wine32_runs || echo "wine32:i386 is installed but its loader does not start (this kernel cannot run 32-bit programs)"
}

# With a 32-bit loader that cannot run, Debian's launcher would still choose it.
if quarvo_wine32_installed && ! quarvo_wine32_runs; then
  case ":$PATH:" in
    *":$QUARVO_REPO_ROOT/test-support/wine/wine64-only:"*) ;;
    *) export PATH="$QUARVO_REPO_ROOT/test-support/wine/wine64-only:$PATH" ;;
  esac
fi

# Bump the version when the prefix setup below changes, so existing prefixes are remade.
quarvo_wine_marker() {
  if quarvo_wine32_available; then echo "wow64 v5"; else echo "64-only v5"; fi
}

# Creates or refreshes the prefix; safe to call from several processes at once.
quarvo_wine_prefix_ready() {
  local marker="$WINEPREFIX/.quarvo-prefix" want
  want=$(quarvo_wine_marker)
  [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ] && exit 0
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || { echo "wine-prefix: wineboot failed" >&2; exit 1; }
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
    # Some test programs must see Windows 7 (the ShellKit loader's version rule, the installer
    # plug-in's filtering-platform floor).
    for program in shellkit_loader_win7_test.exe homebridge_homeutils_win7_test.exe setup_provider_win7_test.exe; do
      wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program" /v Version /t REG_SZ /d win7 /f >/dev/null 2>&1
    done
    # One test program runs with a stub iphlpapi.dll beside it (a machine without adapters);
    # per program, so Wine's own services never see the stub.
    wine reg add 'HKCU\Software\Wine\AppDefaults\sysbridge_productid_test.exe\DllOverrides' /v iphlpapi /t REG_SZ /d native /f >/dev/null 2>&1
    wineserver -w
    echo "$want" >"$marker"
  ) 9>"$WINEPREFIX.lock"
}
