# A Wine session for the scripts that run the Windows programs: a prefix of the script's own, no
# Mono or Gecko installer dialogs, windows that hide and go at once, and the session ended with
# the script. Sourced; needs wine and wineserver.
source "$(dirname "${BASH_SOURCE[0]}")/virtual_display.sh"

wine_session_prefix=""

# start_wine_session [--persistent] [--dll-overrides LIST] PREFIX
# Sets WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES for the session's programs. LIST adds
# overrides to the session's own (mscoree and mshtml off: no Mono or Gecko installer).
#
# --persistent keeps one server running for the whole session, so that each program starts in
# tens of milliseconds. Wine's own background processes (services, the desktop window's explorer)
# start with the first program that needs them and inherit its standard output and error: were
# that program a test, ctest would wait for the test's output as long as they run. So the
# persistent server starts first (it is up when the command returns), wineboot starts those
# processes with nothing of ours open, and a console waiting for input that never comes keeps a
# program in the session: without one the desktop's explorer ends after each GUI program and the
# next starts it again, which costs a second or two each time, or twenty when a test's output is
# what it holds. Without --persistent the server ends once the last program in the prefix has
# (what `wineserver -w` waits for). Fails when the persistent server does not start.
start_wine_session() {
  local persistent=no overrides="mscoree=d;mshtml=d"
  while [ $# -gt 1 ]; do
    case $1 in
      --persistent) persistent=yes ;;
      --dll-overrides) overrides+=";$2" && shift ;;
      *) break ;;
    esac
    shift
  done
  wine_session_prefix=$1
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=$overrides
  mkdir -p "$WINEPREFIX"
  on_exit end_wine_session
  if [ "$persistent" = yes ]; then
    timeout 30 wineserver -k >/dev/null 2>&1
    timeout 60 wineserver -w >/dev/null 2>&1
    wineserver -p </dev/null >/dev/null 2>&1 || return 1
  fi
  timeout 300 wineboot -i </dev/null >/dev/null 2>&1 || true
  if [ "$persistent" = yes ]; then
    coproc WINE_SESSION { exec wine cmd >/dev/null 2>&1; }
  fi
  # Without a window manager Wine waits about 2 s whenever a top-level window hides or goes,
  # unless it is told that it manages its windows itself.
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1 || true
}

# Ends every program of the session and its server, and unsets the session's variables. Runs by
# itself when the script ends; once ended, the session is not ended again.
end_wine_session() {
  [ -n "$wine_session_prefix" ] || return 0
  WINEPREFIX=$wine_session_prefix timeout 30 wineserver -k >/dev/null 2>&1 || true
  [ -z "${WINE_SESSION_PID:-}" ] || wait "$WINE_SESSION_PID" 2>/dev/null || true
  wine_session_prefix=""
  unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
}
