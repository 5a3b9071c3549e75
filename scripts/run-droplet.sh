#!/usr/bin/env bash
# Installs what is needed, builds one droplet and starts it:  bash scripts/run-droplet.sh orvane|tessik
# With a display the droplet simply runs there. Without one it runs on a virtual display (Xvfb,
# openbox, a desktop colour) long enough to save a screenshot of it, then everything stops.
# DROPLET_BUILD_DIR picks another build folder than the preset's build/linux.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

case "${1:-}" in
  orvane) program=Orvane ;;
  tessik) program=Tessik ;;
  *) echo "usage: bash scripts/run-droplet.sh orvane|tessik" >&2; exit 2 ;;
esac
name=$1

bash scripts/install-deps.sh
build=${DROPLET_BUILD_DIR:-$root/build/linux}
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target "$program" -j2
folder="$build/$name"
executable="$folder/$program"

# The program folder is the droplet's scratch area; it runs from there, so that a converter put
# beside it would be found first.
if [ -n "${DISPLAY:-}" ]; then
  echo "starting $executable"
  cd "$folder"
  exec "$executable"
fi

# No display: a virtual one, just for a look.
source tests/support/virtual_display.sh
start_virtual_display
start_window_manager
paint_desktop

echo "no display: starting $program on a virtual one ($DISPLAY)"
(cd "$folder" && exec "$executable") &
droplet=$!
on_exit stop_process "$droplet"
if ! timeout 20 xdotool search --sync --onlyvisible --pid "$droplet" >/dev/null 2>&1; then
  echo "the $program window did not show" >&2
  exit 1
fi
sleep 1
mkdir -p "$root/build/screenshots"
shot="$root/build/screenshots/$name-run.png"
import -window root "$shot"
echo "screenshot of the running $program: $shot"
