#!/usr/bin/env bash
# Takes the README's pictures on a virtual display (Xvfb, openbox, a desktop colour): each
# program's window over the desktop, Tessik's open pop-up menu and both options dialogs (the
# options tests' Screenshot case, which saves into DROPLET_SCREENSHOT_DIR), into docs/screenshots/.
#   bash tests/gui/screenshots.sh [BUILD_DIR]      (a built linux configuration; default build/linux)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${1:-$root/build/linux}
out=$root/docs/screenshots
mkdir -p "$out"

pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT

number=120
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
# The options dialogs first, alone on the screen: the pictures show the dialog itself.
for program in orvane tessik; do
  test=$build/tests/options_dialog/options_${program}_test
  if [ -x "$test" ]; then
    DROPLET_SCREENSHOT_DIR=$out "$test" --gtest_filter=OptionsDialog.Screenshot >/dev/null
    echo "saved $out/options-$program.png"
  else
    echo "no $test: options-$program.png left as it was" >&2
  fi
done

openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
xsetroot -solid '#3b6e8f'

# Starts a program from its own folder and sets X, Y, WIDTH, HEIGHT to its window's geometry.
start() {
  local folder=$1 program=$2
  (cd "$folder" && exec "./$program") >/dev/null 2>&1 &
  pids+=($!)
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$!" | head -n 1)
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
}

# Crops the screen around a window with a margin of desktop.
shoot() {
  local file=$1 x=$2 y=$3 w=$4 h=$5
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$file"
  echo "saved $out/$file"
}

start "$build/orvane" Orvane
shoot orvane-window.png $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true
unset 'pids[-1]'

start "$build/tessik" Tessik
shoot tessik-window.png $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))

# The pop-up menu, opened with the right button over the picture, away from the screen's edge.
xdotool windowmove "$window" 500 300
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT / 3)) click 3
sleep 1
shoot menu.png $((X - 30)) $((Y - 30)) $((WIDTH + 230)) $((HEIGHT + 120))
xdotool key Escape
