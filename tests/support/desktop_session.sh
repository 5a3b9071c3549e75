# Shell helpers for the tests that drive the real programs on an X display, as a user would:
# sourced by the scripts in tests/package/ and tests/gui/. They need xdotool and,
# for the screenshots, ImageMagick's import.
source "$(dirname "${BASH_SOURCE[0]}")/virtual_display.sh"

# A one-page PDF whose only line reads $2, written to $1 (Helvetica, uncompressed, with an exact
# cross-reference table).
write_pdf() {
  local text=$2 objects=() body offsets=() i
  local stream="BT /F1 18 Tf 72 760 Td ($text) Tj ET"
  objects+=("<< /Type /Catalog /Pages 2 0 R >>")
  objects+=("<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
  objects+=("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>")
  objects+=("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
  objects+=("<< /Length ${#stream} >>
stream
$stream
endstream")
  body="%PDF-1.4
"
  for i in "${!objects[@]}"; do
    offsets+=("${#body}")
    body+="$((i + 1)) 0 obj
${objects[i]}
endobj
"
  done
  local xref=${#body}
  body+="xref
0 $((${#objects[@]} + 1))
0000000000 65535 f 
"
  for i in "${offsets[@]}"; do body+=$(printf '%010d 00000 n \n' "$i")$'\n'; done
  body+="trailer
<< /Size $((${#objects[@]} + 1)) /Root 1 0 R >>
startxref
$xref
%%EOF
"
  printf '%s' "$body" >"$1"
}

# Puts into folder $1 an xdg-open that only appends what it is asked to open to file $2, one line
# each; put $1 first on PATH.
make_recording_opener() {
  mkdir -p "$1"
  printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$2" >"$1/xdg-open"
  chmod +x "$1/xdg-open"
}

# Sets X, Y, WIDTH and HEIGHT (the caller's, when it has made them local) to window $1's geometry.
read_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
}

# Saves into file $1 the part of the screen at $2, $3 of width $4 and height $5.
shoot() {
  import -window root -crop "${4}x${5}+${2}+${3}" +repage "$1"
  echo "saved $1"
}

# The visible top-level windows of process $1.
windows_of() {
  xdotool search --onlyvisible --pid "$1" 2>/dev/null | sort -u
}

# Waits up to $2 seconds for the main window of process $1 and prints its id: a visible window
# that belongs to no other (a message box may show before it, for a file named at the start).
main_window_of() {
  local pid=$1 limit=$2 start=$SECONDS window
  while [ $((SECONDS - start)) -lt "$limit" ]; do
    for window in $(windows_of "$pid"); do
      xprop -id "$window" WM_TRANSIENT_FOR 2>/dev/null | grep -q 'window id' && continue
      echo "$window"
      return
    done
    sleep 0.1
  done
}

# answer_boxes PID MAIN EXPECTED LIMIT COMMAND...: answers every message box process PID shows
# (any visible window other than MAIN, its main window) with Return, the boxes' default button,
# and names each box's title on standard output. Ends once EXPECTED boxes have been answered and
# COMMAND succeeds, or after LIMIT seconds. With BOX_SHOT set, the screen is saved there when the
# first box shows.
answer_boxes() {
  local pid=$1 main=$2 expected=$3 limit=$4
  shift 4
  local answered=0 start=$SECONDS window
  while [ $((SECONDS - start)) -lt "$limit" ]; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended"; return; }
    if [ "$answered" -ge "$expected" ] && "$@" >/dev/null 2>&1; then return; fi
    for window in $(windows_of "$pid"); do
      [ "$window" = "$main" ] && continue
      sleep 0.3
      [ "$answered" -eq 0 ] && [ -n "${BOX_SHOT:-}" ] && import -window root "$BOX_SHOT" 2>/dev/null
      echo "box: $(xdotool getwindowname "$window")"
      timeout 5 xdotool windowfocus --sync "$window" key Return 2>/dev/null
      answered=$((answered + 1))
      local wait_start=$SECONDS
      while windows_of "$pid" | grep -qx "$window" && [ $((SECONDS - wait_start)) -lt 10 ]; do
        sleep 0.1
      done
      break
    done
    sleep 0.2
  done
  echo "gave up after ${limit}s"
}

# Whether the titles of the boxes named in file $1 (by answer_boxes) are $2, $3, ... in order.
boxes_were() {
  local transcript=$1
  shift
  diff <(grep '^box: ' "$transcript") <(printf 'box: %s\n' "$@")
}

# Whether file $1 exists and has at least $2 lines.
has_lines() {
  [ -f "$1" ] && [ "$(wc -l <"$1")" -ge "$2" ]
}

# Drags file $2 with the drag source program $1 (tests/gui/drag_source.cpp) onto window $3, at a
# point of its picture, with real pointer events. Its output goes to file $4. Sets
# drag_source_pid to the source's process id, also added to pids (end it once the drop has been
# handled: it serves the data until then).
drag_onto_window() {
  local source_program=$1 file=$2 window=$3 source_log=$4
  local X Y WIDTH HEIGHT
  read_geometry "$window"
  "$source_program" 60 120 "$file" >"$source_log" 2>&1 &
  drag_source_pid=$!
  pids+=("$drag_source_pid")
  local waited=0
  until grep -q ready "$source_log" 2>/dev/null || [ $waited -ge 150 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  local to_x=$((X + WIDTH / 2)) to_y=$((Y + HEIGHT / 3))
  local moves=() step
  for step in $(seq 1 20); do
    moves+=(sleep 0.05 mousemove $((100 + (to_x - 100) * step / 20)) $((160 + (to_y - 160) * step / 20)))
  done
  xdotool mousemove 100 160 sleep 0.3 mousedown 1 "${moves[@]}" sleep 0.3 mouseup 1
}

# convert_by_drag DRAG_SOURCE PID PDF PROGRAM LIMIT COMMAND...: waits for the main window of the
# running PROGRAM (process PID), drags PDF onto it with the drag source program and answers the
# boxes of a conversion (the confirmation, the completion and "open the result?", each with its
# default button) until COMMAND succeeds, within LIMIT seconds each. Fails unless the window
# showed, the drop was taken as a copy and the boxes were those three. What it saw goes to
# standard output.
convert_by_drag() {
  local drag_source=$1 pid=$2 pdf=$3 program=$4 limit=$5
  shift 5
  [ -x "$drag_source" ] || fail "no drag source at $drag_source (a build of the linux side has it)"
  local main notes
  main=$(main_window_of "$pid" "$limit")
  [ -n "$main" ] || fail "$program showed no window"
  xdotool getwindowgeometry "$main"
  notes=$(mktemp -d "${TMPDIR:-/tmp}/droplet-drag.XXXXXX")
  on_exit rm -rf "$notes"
  drag_onto_window "$drag_source" "$pdf" "$main" "$notes/source.log"
  grep -q ready "$notes/source.log" || fail "the drag source did not show"
  answer_boxes "$pid" "$main" 3 "$limit" "$@" | tee "$notes/boxes.txt"
  stop_process "$drag_source_pid"
  grep -q '^result 1$' "$notes/source.log" ||
    fail "the drop was not accepted as a copy: $(cat "$notes/source.log")"
  boxes_were "$notes/boxes.txt" ';-)' "$program" "$program" || fail "not the boxes of a conversion"
}

# --- Counted checks -----------------------------------------------------------------------------
# A script that uses `check` sets $logs (a folder for each check's output), usually through
# prepare_checks, and reports $passed and $failed at its end; a check adds the processes it
# starts to `pids`.
passed=0
failed=0
pids=() # processes a check started, ended when the check ends

# prepare_checks NAME [LOGS]: a display (a virtual one of the script's own when none is set), a
# scratch folder $scratch removed when the script ends, and $logs, LOGS emptied (by default a
# folder in the scratch folder).
prepare_checks() {
  [ -n "${DISPLAY:-}" ] || start_virtual_display || exit 1
  export LC_ALL=C.UTF-8
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/droplet-$1.XXXXXX") || exit 1
  on_exit rm -rf "$scratch"
  logs=${2:-$scratch/logs}
  rm -rf "$logs"
  mkdir -p "$logs"
}

stop_started() {
  local pid
  for pid in "${pids[@]}"; do stop_process "$pid"; done
}

# check NAME COMMAND...: runs one check in a subshell, which `fail` ends at the first fault; its
# output is kept in $logs/NAME.log. Counts it as passed or failed.
check() {
  local name=$1 status started=$SECONDS
  shift
  (
    forget_exit_actions
    on_exit stop_started
    "$@"
  ) >"$logs/$name.log" 2>&1
  status=$?
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    echo "ok      $name ($((SECONDS - started)) s)"
  else
    failed=$((failed + 1))
    echo "FAILED  $name ($((SECONDS - started)) s, see $logs/$name.log)"
    sed 's/^/        /' "$logs/$name.log" | tail -n 20
  fi
}

fail() {
  echo "FAILED: $*"
  exit 1
}
