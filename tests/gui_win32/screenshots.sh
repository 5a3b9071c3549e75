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

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
# The converters the programs look for at start, so that no box covers the pictures.
converters=$build/tests/front_end/test-converter
export WINEPATH="Z:${converters//\//\\}"
work=$(mktemp -d)

pids=()
cleanup() {
  local i
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

number=140
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$number"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
mkdir -p "$WINEPREFIX"
timeout 300 wineboot -i >/dev/null 2>&1 || true
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
xsetroot -solid '#3b6e8f'

# Starts a program from a copy in a folder of its own (its output and settings stay there) and
# sets X, Y, WIDTH, HEIGHT to its main window's geometry.
start() {
  local folder=$1 program=$2
  mkdir -p "$work/$folder"
  cp "$build/$folder/$program.exe" "$work/$folder/"
  (cd "$work/$folder" && exec timeout 120 wine "$program.exe") >/dev/null 2>&1 &
  pids+=($!)
  window=$(timeout 30 xdotool search --sync --onlyvisible --class "${program,,}.exe" | head -n 1)
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
}

# Crops the screen around a window with a margin of desktop.
shoot() {
  local file=$1 x=$2 y=$3 w=$4 h=$5
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$file"
  echo "saved $out/$file"
}

start orvane Orvane
shoot orvane-windows.png $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))
timeout 20 wineserver -k >/dev/null 2>&1 || true

start tessik Tessik
shoot tessik-windows.png $((X - 40)) $((Y - 40)) $((WIDTH + 80)) $((HEIGHT + 80))

# The pop-up menu, opened with the right button over the picture once the droplet has been
# dragged (by the picture, as the user moves it) away from the screen's edge.
grab_x=$((X + WIDTH / 3)) grab_y=$((Y + HEIGHT / 3))
xdotool mousemove $grab_x $grab_y sleep 0.3 mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool sleep 0.05 mousemove $((grab_x - 60 * step)) $((grab_y + 25 * step))
done
xdotool sleep 0.3 mouseup 1
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT / 3))
sleep 0.5
xdotool click 3
sleep 1
shoot menu-windows.png $((X - 30)) $((Y - 30)) $((WIDTH + 230)) $((HEIGHT + 150))

# "Opzioni", the first entry, opens the options dialog.
xdotool key Down Return
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "Version: \(BETA\)" | head -n 1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$dialog")"
shoot options-tessik-windows.png $((X - 20)) $((Y - 20)) $((WIDTH + 40)) $((HEIGHT + 40))
