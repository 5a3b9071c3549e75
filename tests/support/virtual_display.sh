# A virtual X display for the scripts that need one: Xvfb on a free display number, optionally a
# window manager and a desktop colour, each ended when the script ends. Sourced by scripts/ and
# the test scripts; needs Xvfb, and for the window manager openbox and xprop.

# --- Ending what a script started ---------------------------------------------------------------

# Commands run when the script ends, the one registered last first: the programs on a display end
# before the display does. An interrupted or terminated script ends the same way.
forget_exit_actions() {
  exit_actions=()
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
}
[ -n "${exit_actions+set}" ] || forget_exit_actions

run_exit_actions() {
  local status=$? action
  for action in "${exit_actions[@]}"; do eval "$action" || true; done
  exit_actions=()
  exit "$status"
}

# on_exit COMMAND [ARGUMENT...]: runs the command when the script ends.
on_exit() {
  exit_actions=("$(printf '%q ' "$@")" "${exit_actions[@]}")
  trap run_exit_actions EXIT
}

# Ends background process $1 of this shell and waits until it has gone. Only a child not yet
# waited for: once waited for, its number may have passed to another process.
stop_process() {
  [ "$(ps -o ppid= -p "$1" 2>/dev/null)" -eq "$BASHPID" ] 2>/dev/null || return 0
  kill "$1" 2>/dev/null || return 0
  wait "$1" 2>/dev/null || true
}

# --- The display ----------------------------------------------------------------------------------

# Starts Xvfb (1280 x 1024, 24 bits a pixel) on a free display number and points DISPLAY at it.
# Xvfb picks the number itself and writes it down once it accepts clients (-displayfd), so that
# scripts starting displays at the same moment never race for one. -noreset: otherwise Xvfb
# resets whenever its last client leaves, which wipes the desktop colour.
start_virtual_display() {
  local notes number="" pid
  notes=$(mktemp -d "${TMPDIR:-/tmp}/droplet-display.XXXXXX") || return 1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp \
    3>"$notes/number" >/dev/null 2>"$notes/log" &
  pid=$!
  on_exit stop_process "$pid"
  for _ in $(seq 200); do
    read -r number <"$notes/number" && break
    number=""
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ -z "$number" ]; then
    echo "the virtual display did not start:" >&2
    tail -n 5 "$notes/log" >&2
    rm -rf "$notes"
    return 1
  fi
  rm -rf "$notes"
  export DISPLAY=":$number"
}

# Starts openbox on the display and waits until it has announced itself (the root window's
# _NET_SUPPORTING_WM_CHECK names its window): a window mapped while the window manager is still
# starting may never be shown.
start_window_manager() {
  openbox >/dev/null 2>&1 &
  local pid=$!
  on_exit stop_process "$pid"
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "the window manager did not start" >&2
  return 1
}

# The desktop behind the droplets in screenshots.
paint_desktop() {
  xsetroot -solid '#3b6e8f'
}

# Runs a command on a virtual display of its own, ended with the command.
run_on_virtual_display() {
  (
    forget_exit_actions
    start_virtual_display && "$@"
  )
}
