#!/usr/bin/env bash
# The programs as the desktop starts them, each copied into a folder of its own:
#  - "Open with" twice in quick succession: the second start hands its PDF to the first and
#    ends; both PDFs are one batch (one question, one report), converted completely, and nothing
#    is lost;
#  - --help and --version answer without a display, the version the one their CMake project
#    gives them;
#  - an installed program whose working folder cannot be made says which and why, and ends
#    without leaving anything behind.
#   bash tests/gui/programs_test.sh TESSIK ORVANE TESSIK_VERSION ORVANE_VERSION
# (the built programs and the versions of apps/*/CMakeLists.txt)
# Needs an X display (without one it starts itself inside xvfb-run). Prints one line per check
# and ends with "programs: N passed, M failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/desktop_session.sh"
tessik=$1 orvane=$2 tessik_version=$3 orvane_version=$4

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
scratch=$(mktemp -d "${TMPDIR:-/tmp}/droplet-programs.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
result() {
  if [ "$1" -eq 0 ]; then
    passed=$((passed + 1))
    echo "ok      $2"
  else
    failed=$((failed + 1))
    echo "FAILED  $2"
  fi
}
fail() {
  echo "FAILED: $*"
  return 1
}

# A home, a runtime folder and a recording opener of its own for each check.
user_session() {
  local home=$1
  mkdir -p "$home/runtime" "$home/bin"
  chmod 700 "$home/runtime"
  make_recording_opener "$home/bin" "$home/opened.txt"
  export HOME="$home" XDG_RUNTIME_DIR="$home/runtime" PATH="$home/bin:$PATH"
  unset XDG_DATA_HOME XDG_CONFIG_HOME
}

open_with_twice() {
  user_session "$scratch/open-home"
  local program="$scratch/portable" documents="$scratch/documenti"
  mkdir -p "$program" "$documents"
  cp "$tessik" "$program/Tessik"
  write_pdf "$documents/primo.pdf" "Primo documento"
  write_pdf "$documents/secondo con spazi.pdf" "Secondo documento"

  # As a file manager starts "Open with": each start from its own folder, the file named by
  # full path or not. Whichever start takes the lock first is the instance; the other hands its
  # file over and ends.
  (cd / && exec "$program/Tessik" "$documents/primo.pdf") &
  local one=$!
  (cd "$documents" && exec "$program/Tessik" "secondo con spazi.pdf") &
  local other=$!
  pids+=("$one" "$other")
  local started=$SECONDS first="" status
  while [ -z "$first" ] && [ $((SECONDS - started)) -lt 15 ]; do
    if ! kill -0 "$one" 2>/dev/null; then
      wait "$one"
      status=$?
      first=$other
    elif ! kill -0 "$other" 2>/dev/null; then
      wait "$other"
      status=$?
      first=$one
    fi
    sleep 0.1
  done
  [ -n "$first" ] || fail "both starts still run" || return 1
  echo "one start ended with status $status after $((SECONDS - started)) s"
  [ "$status" -eq 0 ] || fail "the later start did not hand its file over" || return 1
  local main
  main=$(main_window_of "$first" 20)
  [ -n "$main" ] || fail "the instance showed no window" || return 1
  # One question for both PDFs and one report; the output folder opens once, no result does.
  local marker="$scratch/open-done"
  (
    for _ in $(seq 600); do
      [ -s "$HOME/opened.txt" ] && { touch "$marker"; exit; }
      sleep 0.1
    done
  ) &
  pids+=($!)
  answer_boxes "$first" "$main" "$marker" 2 90 | tee "$scratch/open-boxes.txt"
  kill -0 "$first" 2>/dev/null || fail "the program ended" || return 1
  [ "$(windows_of "$first" | wc -l)" -eq 1 ] || fail "windows left open"
  diff <(grep '^box: ' "$scratch/open-boxes.txt") <(printf 'box: %s\n' ';-)' Tessik) ||
    fail "not one batch" || return 1
  cat "$HOME/opened.txt"
  diff "$HOME/opened.txt" <(printf '%s\n' "$program/output") || fail "not the right openings" ||
    return 1
  grep -q "Primo documento" "$program/output/primo.txt" || fail "first result incomplete" || return 1
  grep -q "Secondo documento" "$program/output/secondo con spazi.txt" ||
    fail "second result incomplete" || return 1
  [ "$(ls "$program")" = "$(printf 'Tessik\noutput')" ] || fail "scratch files left: $(ls "$program")" ||
    return 1
  [ -f "$documents/primo.pdf" ] && [ -f "$documents/secondo con spazi.pdf" ] ||
    fail "a dropped PDF is gone"
}

help_and_version() {
  local out
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$orvane" --help) || fail "--help failed" || return 1
  echo "$out"
  grep -q '^Usage: Orvane \[FILE...\]$' <<<"$out" || fail "no usage line" || return 1
  grep -qx "Results:  $(cd "$(dirname "$orvane")" && pwd -P)/output" <<<"$out" ||
    fail "no results folder" || return 1
  [ "$(env -u DISPLAY "$tessik" --version)" = "Tessik $tessik_version" ] &&
    [ "$(env -u DISPLAY "$orvane" --version)" = "Orvane $orvane_version" ] ||
    fail "wrong version line"
}

unusable_working_folder() {
  user_session "$scratch/broken-home"
  local installed="$scratch/radice/usr/bin"
  mkdir -p "$installed"
  cp "$orvane" "$installed/orvane"
  # A file where the data folder should be: the working folder cannot be made.
  echo "non una cartella" >"$HOME/dati"
  export XDG_DATA_HOME="$HOME/dati"
  "$installed/orvane" "$scratch/nessuno.pdf" &
  local pid=$!
  pids+=("$pid")
  local box="" waited=0
  until [ -n "$box" ] || [ $waited -ge 200 ]; do
    box=$(windows_of "$pid" | head -n 1)
    sleep 0.1
    waited=$((waited + 1))
  done
  [ -n "$box" ] || fail "no message showed" || return 1
  sleep 0.5
  import -window root "$scratch/broken.png" 2>/dev/null
  echo "box: $(xdotool getwindowname "$box")"
  timeout 5 xdotool windowfocus --sync "$box" key Return
  local status=0
  wait "$pid" || status=$?
  echo "ended with status $status"
  [ "$status" -eq 1 ] || fail "the program did not end with status 1" || return 1
  [ "$(ls "$HOME")" = "$(printf 'bin\ndati\nruntime')" ] || fail "left behind: $(ls "$HOME")" ||
    return 1
  [ "$(ls "$installed")" = "orvane" ] || fail "the program folder was written"
}

logs="$scratch/logs"
mkdir -p "$logs"
for check in help_and_version open_with_twice unusable_working_folder; do
  started=$SECONDS
  (
    trap stop_started EXIT
    "$check"
  ) >"$logs/$check.log" 2>&1
  status=$?
  result "$status" "$check ($((SECONDS - started)) s)"
  [ "$status" -eq 0 ] || sed 's/^/        /' "$logs/$check.log" | tail -n 20
done
echo "programs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
