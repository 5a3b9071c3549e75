#!/usr/bin/env bash
# A droplet in a Wayland session (weston, headless, with XWayland), as a desktop starts it:
#  - it goes through XWayland by itself: its window is an X11 window there, cut to its picture,
#    and a PDF dropped on it by the X11 drag-and-drop protocol is taken (the confirmation shows);
#  - a platform the user chose (QT_QPA_PLATFORM=wayland) stands, and without XWayland it starts
#    on Wayland itself (both need Qt's Wayland plugin, package qt6-wayland).
#   bash tests/gui/wayland_test.sh ORVANE X11_PROBE     (the built program and droplet_x11_probe)
# Needs no display of its own. Weston's headless XWayland takes no pointer input from outside
# (a warped pointer crashes it), so the drop speaks the protocol instead of moving the mouse.
# Prints one line per check and ends with "wayland: N passed, M failed"; exits with 77 (skipped)
# where weston cannot run.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/desktop_session.sh"
orvane=$1 probe=$2

for tool in weston Xwayland; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (bash scripts/install-deps.sh installs it)"
    exit 77
  fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/droplet-wayland.XXXXXX")
runtime="$scratch/runtime"
mkdir -p "$runtime" "$scratch/program" "$scratch/home"
chmod 700 "$runtime"
cp "$orvane" "$scratch/program/Orvane"
socket="droplet-wayland-$$"
display=""
# The X display weston's XWayland took, when weston could not remove it itself.
remove_left_display() {
  if [ -n "$display" ] && ! pgrep -f "Xwayland $display " >/dev/null; then
    rm -f "/tmp/.X11-unix/X${display#:}" "/tmp/.X${display#:}-lock"
  fi
}
on_exit rm -rf "$scratch"
on_exit remove_left_display

XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --xwayland --socket="$socket" \
  --width=1024 --height=768 --log="$scratch/weston.log" >/dev/null 2>&1 &
on_exit stop_process "$!"
for _ in $(seq 100); do
  grep -q "xserver listening on display" "$scratch/weston.log" 2>/dev/null && break
  sleep 0.1
done
display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$scratch/weston.log" | head -n 1)
if [ -z "$display" ] || [ ! -S "$runtime/$socket" ]; then
  echo "skipped: weston did not start here with XWayland"
  tail -n 5 "$scratch/weston.log"
  exit 77
fi

logs=$scratch

# Starts the program in the session, with `env`'s arguments after the name (the -u options
# first), its output in $scratch/$name.out; sets `pid`.
start_in_session() {
  local name=$1
  shift
  (cd "$scratch" && exec env "$@" HOME="$scratch/home" XDG_RUNTIME_DIR="$runtime" \
    WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland "$scratch/program/Orvane") \
    >"$scratch/$name.out" 2>&1 &
  pid=$!
  pids+=("$pid")
}

through_xwayland() {
  local pid
  start_in_session xwayland -u QT_QPA_PLATFORM DISPLAY="$display"
  export DISPLAY=$display
  local main
  main=$(main_window_of "$pid" 20)
  [ -n "$main" ] || fail "no window on XWayland"
  local rectangles
  rectangles=$("$probe" shape "$main")
  echo "window $main, cut to $rectangles rectangles"
  [ "$rectangles" -gt 1 ] || fail "the window is not cut to its picture"
  write_pdf "$scratch/su wayland.pdf" "Prova su Wayland"
  "$probe" drop "$main" 116 40 "$scratch/su wayland.pdf" || fail "the drop was not taken"
  local box="" waited=0
  until [ -n "$box" ] || [ $waited -ge 100 ]; do
    box=$(windows_of "$pid" | grep -vx "$main" | head -n 1)
    sleep 0.1
    waited=$((waited + 1))
  done
  [ -n "$box" ] && [ "$(xdotool getwindowname "$box")" = ";-)" ] ||
    fail "no confirmation after the drop"
}

# The program runs as a Wayland client: it made a toplevel surface and no X11 window.
on_wayland() {
  local name=$1 pid
  shift
  start_in_session "$name" "$@" WAYLAND_DEBUG=client
  sleep 3
  kill -0 "$pid" 2>/dev/null || fail "the program ended: $(tail -n 3 "$scratch/$name.out")"
  grep -q 'get_toplevel' "$scratch/$name.out" || fail "no Wayland toplevel was made"
  [ -z "$(DISPLAY=$display xdotool search --pid "$pid" 2>/dev/null)" ] ||
    fail "an X11 window was made"
}

# Shown through XWayland, shaped, a drop taken.
check through-xwayland through_xwayland
if ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
  # QT_QPA_PLATFORM=wayland stands; without XWayland the program runs on Wayland itself.
  check chosen-wayland-stands on_wayland chosen QT_QPA_PLATFORM=wayland DISPLAY="$display"
  check without-xwayland on_wayland native -u QT_QPA_PLATFORM -u DISPLAY
else
  echo "skipped: Qt's Wayland plugin is not installed (package qt6-wayland)"
fi
echo "wayland: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
