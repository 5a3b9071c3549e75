#!/usr/bin/env bash
# The programs as the desktop starts them, each copied into a folder of its own:
#  - "Open with" twice in quick succession: the second start hands its PDF to the first and
#    ends; both PDFs are one batch (one question, one report), converted completely, and nothing
#    is lost;
#  - --help and --version answer without a display, the version the one their CMake project
#    gives them; so does a wrong option (status 2), which Qt's own options do not hide;
#  - an installed program whose working folder cannot be made says which and why, and ends
#    without leaving anything behind.
#   bash tests/gui/programs_test.sh TESSIK ORVANE TESSIK_VERSION ORVANE_VERSION
# (the built programs and the versions of apps/*/CMakeLists.txt)
# Needs an X display (without one it starts a virtual one of its own). Prints one line per check
# and ends with "programs: N passed, M failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/desktop_session.sh"
tessik=$1 orvane=$2 tessik_version=$3 orvane_version=$4

prepare_checks programs
export QT_QPA_PLATFORM=xcb

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
  # full path or not, one with an option of Qt's. Whichever start takes the lock first is the
  # instance; the other hands its file over and ends.
  (cd / && exec "$program/Tessik" -platform xcb "$documents/primo.pdf") &
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
  [ -n "$first" ] || fail "both starts still run"
  echo "one start ended with status $status after $((SECONDS - started)) s"
  [ "$status" -eq 0 ] || fail "the later start did not hand its file over"
  local main
  main=$(main_window_of "$first" 20)
  [ -n "$main" ] || fail "the instance showed no window"
  # One question for both PDFs and one report; the output folder opens once, no result does.
  answer_boxes "$first" "$main" 2 90 has_lines "$HOME/opened.txt" 1 | tee "$scratch/open-boxes.txt"
  kill -0 "$first" 2>/dev/null || fail "the program ended"
  [ "$(windows_of "$first" | wc -l)" -eq 1 ] || fail "windows left open"
  boxes_were "$scratch/open-boxes.txt" ';-)' Tessik || fail "not one batch"
  cat "$HOME/opened.txt"
  diff "$HOME/opened.txt" <(printf '%s\n' "$program/output") || fail "not the right openings"
  grep -q "Primo documento" "$program/output/primo.txt" || fail "first result incomplete"
  grep -q "Secondo documento" "$program/output/secondo con spazi.txt" ||
    fail "second result incomplete"
  [ "$(ls "$program")" = "$(printf 'Tessik\noutput')" ] || fail "scratch files left: $(ls "$program")"
  [ -f "$documents/primo.pdf" ] && [ -f "$documents/secondo con spazi.pdf" ] ||
    fail "a dropped PDF is gone"
}

help_and_version() {
  local out
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$orvane" --help) || fail "--help failed"
  echo "$out"
  grep -q '^Usage: Orvane \[FILE...\]$' <<<"$out" || fail "no usage line"
  grep -qx "Results:  $(cd "$(dirname "$orvane")" && pwd -P)/output" <<<"$out" ||
    fail "no results folder"
  [ "$(env -u DISPLAY "$tessik" --version)" = "Tessik $tessik_version" ] &&
    [ "$(env -u DISPLAY "$orvane" --version)" = "Orvane $orvane_version" ] ||
    fail "wrong version line" || return 1
  local status=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$orvane" -platform xcb --colore 2>"$scratch/wrong.txt" ||
    status=$?
  cat "$scratch/wrong.txt"
  [ "$status" -eq 2 ] && [ "$(head -n 1 "$scratch/wrong.txt")" = "Orvane: unknown option --colore" ] ||
    fail "a wrong option did not end the program with status 2"
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
  [ -n "$box" ] || fail "no message showed"
  sleep 0.5
  import -window root "$scratch/broken.png" 2>/dev/null
  echo "box: $(xdotool getwindowname "$box")"
  timeout 5 xdotool windowfocus --sync "$box" key Return
  local status=0
  wait "$pid" || status=$?
  echo "ended with status $status"
  [ "$status" -eq 1 ] || fail "the program did not end with status 1"
  [ "$(ls "$HOME")" = "$(printf 'bin\ndati\nruntime')" ] || fail "left behind: $(ls "$HOME")"
  [ "$(ls "$installed")" = "orvane" ] || fail "the program folder was written"
}

check help_and_version help_and_version
check open_with_twice open_with_twice
check unusable_working_folder unusable_working_folder
echo "programs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
