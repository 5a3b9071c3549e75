#!/usr/bin/env bash
# Takes the README's pictures of the Windows programs under Wine on a virtual display (Xvfb and
# a desktop colour): each program's window, Tessik's open pop-up menu and Tessik's options
# dialog, into docs/screenshots/*-windows.png.
#   bash tests/gui_win32/screenshots.sh [BUILD_DIR]   (a built windows configuration; default
#                                                      build/windows, whose Wine prefix it uses)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${1:-$root/build/windows}
out=$root/docs/screenshots
mkdir -p "$out"

source "$root/tests/support/desktop_session.sh"
source "$root/tests/support/wine_session.sh"
work=$(mktemp -d)
on_exit rm -rf "$work"
start_virtual_display
start_wine_session "$build/wineprefix"
# The converters the programs look for at start, so that no box covers the pictures.
converters=$build/tests/front_end/test-converter
export WINEPATH="Z:${converters//\//\\}"
paint_desktop

# Starts a program from a copy in a folder of its own (its output and settings stay there) and
# sets X, Y, WIDTH, HEIGHT to its main window's geometry.
start() {
  local folder=$1 program=$2
  mkdir -p "$work/$folder"
  cp "$build/$folder/$program.exe" "$work/$folder/"
  (cd "$work/$folder" && exec timeout 120 wine "$program.exe") >/dev/null 2>&1 &
  on_exit stop_process "$!"
  window=$(timeout 30 xdotool search --sync --onlyvisible --class "${program,,}.exe" | head -n 1)
  sleep 1
  read_geometry "$window"
}

start orvane Orvane
shoot "$out/orvane-windows.png" $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))
timeout 20 wineserver -k >/dev/null 2>&1 || true

start tessik Tessik
shoot "$out/tessik-windows.png" $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))

# The pop-up menu, opened with the right button over the picture once the droplet has been
# dragged (by the picture, as the user moves it) away from the screen's edge.
grab_x=$((X + WIDTH / 3)) grab_y=$((Y + HEIGHT / 3))
xdotool mousemove $grab_x $grab_y sleep 0.3 mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool sleep 0.05 mousemove $((grab_x - 60 * step)) $((grab_y + 25 * step))
done
xdotool sleep 0.3 mouseup 1
sleep 0.5
read_geometry "$window"
xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT / 3))
sleep 0.5
xdotool click 3
sleep 1
shoot "$out/menu-windows.png" $((X - 30)) $((Y - 30)) $((WIDTH + 230)) $((HEIGHT + 150))

# "Opzioni", the first entry, opens the options dialog.
xdotool key Down Return
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "Version: \(BETA\)" | head -n 1)
sleep 1
read_geometry "$dialog"
shoot "$out/options-tessik-windows.png" $((X - 20)) $((Y - 20)) $((WIDTH + 40)) $((HEIGHT + 40))
