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

source "$root/tests/support/desktop_session.sh"
start_virtual_display
export QT_QPA_PLATFORM=xcb
# The options dialogs first, alone on the screen: the pictures show the dialog itself.
for program in orvane tessik; do
  test=$build/tests/settings/options_${program}_test
  if [ -x "$test" ]; then
    DROPLET_SCREENSHOT_DIR=$out "$test" --gtest_filter=OptionsDialog.Screenshot >/dev/null
    echo "saved $out/options-$program.png"
  else
    echo "no $test: options-$program.png left as it was" >&2
  fi
done

start_window_manager
paint_desktop

# Starts a program from its own folder and sets X, Y, WIDTH, HEIGHT to its window's geometry.
start() {
  local folder=$1 program=$2
  (cd "$folder" && exec "./$program") >/dev/null 2>&1 &
  droplet=$!
  on_exit stop_process "$droplet"
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$droplet" | head -n 1)
  sleep 1
  read_geometry "$window"
}

start "$build/orvane" Orvane
shoot "$out/orvane-window.png" $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))
stop_process "$droplet"

start "$build/tessik" Tessik
shoot "$out/tessik-window.png" $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))

# The pop-up menu, opened with the right button over the picture, away from the screen's edge.
xdotool windowmove "$window" 500 300
sleep 0.5
read_geometry "$window"
xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT / 3)) click 3
sleep 1
shoot "$out/menu.png" $((X - 30)) $((Y - 30)) $((WIDTH + 230)) $((HEIGHT + 120))
xdotool key Escape
