#!/usr/bin/env bash
# One benchmark report: builds the release configuration with the benchmarks, runs every
# benchmark program of bench/*/ (the start-up one inside a virtual display) and prints one
# table: measure, our figure, the baseline's figure, their ratio, the goal, and whether it is met.
#
#   bash bench/run-all.sh                 build in build/release (the release preset)
#   BENCH_BUILD_DIR=dir bash bench/run-all.sh
#
# The figures are medians measured by the programs themselves; each program's full output is
# kept in <build>/bench-logs/. The ratio is worked out here from the two figures.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BENCH_BUILD_DIR:-$root/build/release}
source tests/support/virtual_display.sh
logs="$build/bench-logs"

# One row per measure:
#   label | program (path under the build folder) | arguments | display (yes/no) |
#   our figure | the baseline's figure | goal: "ratio <= X", "ms < X" or "ms <= X"
# A figure is given as TEXT or TEXT#N: the N-th number (first by default) that follows TEXT on
# the first line of the program's output holding TEXT.
measures=(
  "runner vs dd bs=256 (64 MiB)|bench/runner/runner_bench||no|64 MiB  ExecuteCommand:|64 MiB  dd bs=256 on a pipe:|ratio <= 1.3"
  "CleanAllPath vs rm -rf|bench/clean_all_path/clean_all_path_bench||no|CleanAllPath|rm -rf|ratio <= 1.5"
  "whole run vs pdftotext (100 pages)|bench/workflow/workflow_bench||no|Tessik whole run:|pdftotext alone:|ratio <= 1.05"
  "runner alone vs pdftotext (100 pages)|bench/workflow/workflow_bench||no|pdftotext via the runner:|pdftotext alone:|ratio <= 1.02"
  "Orvane whole run vs pdftohtml -c (500 pages)|bench/live_run/live_run_bench||yes|Orvane whole run:|pdftohtml -c alone:|ratio <= 1.05"
  "Orvane window's longest wait during that run (base: idle)|bench/live_run/live_run_bench||yes|longest unanswered ping:|idle window's longest ping:|ms <= 50"
  "Orvane window's longest wait, 40-PDF batch (base: idle)|bench/live_run/live_run_bench|--batch 40|yes|longest unanswered ping:|idle window's longest ping:|ms <= 50"
  "Tessik 40 x 2 pages, side by side vs pdftotext loop|bench/workflow/workflow_bench|--batches|no|Tessik 40 x 2 pages, side by side:|Tessik 40 x 2 pages, converter loop:|ratio <= 0.65"
  "Tessik 40 x 2 pages, one at a time vs pdftotext loop|bench/workflow/workflow_bench|--batches|no|Tessik 40 x 2 pages, one at a time:|Tessik 40 x 2 pages, converter loop:|ratio <= 1.05"
  "Tessik 8 x 100 pages, side by side vs pdftotext loop|bench/workflow/workflow_bench|--batches|no|Tessik 8 x 100 pages, side by side:|Tessik 8 x 100 pages, converter loop:|ratio <= 0.65"
  "Tessik 8 x 100 pages, one at a time vs pdftotext loop|bench/workflow/workflow_bench|--batches|no|Tessik 8 x 100 pages, one at a time:|Tessik 8 x 100 pages, converter loop:|ratio <= 1.05"
  "Orvane 40 x 2 pages, side by side vs pdftohtml -c loop|bench/workflow/workflow_bench|--batches|no|Orvane 40 x 2 pages, side by side:|Orvane 40 x 2 pages, converter loop:|ratio <= 0.65"
  "Orvane 40 x 2 pages, one at a time vs pdftohtml -c loop|bench/workflow/workflow_bench|--batches|no|Orvane 40 x 2 pages, one at a time:|Orvane 40 x 2 pages, converter loop:|ratio <= 1.05"
  "Orvane 8 x 100 pages, side by side vs pdftohtml -c loop|bench/workflow/workflow_bench|--batches|no|Orvane 8 x 100 pages, side by side:|Orvane 8 x 100 pages, converter loop:|ratio <= 0.65"
  "Orvane 8 x 100 pages, one at a time vs pdftohtml -c loop|bench/workflow/workflow_bench|--batches|no|Orvane 8 x 100 pages, one at a time:|Orvane 8 x 100 pages, converter loop:|ratio <= 1.05"
  "start-up vs minimal Qt window|bench/startup/droplet_startup_bench||yes|Orvane main window|plain Qt window|ratio <= 1.5"
  "shape of a 1920 x 1080 picture, noisy edges|bench/shape/shape_bench||no|1920 x 1080#3||ms < 20"
)

mkdir -p "$build"
echo "=== configure and build ($build)"
cmake --preset release -B "$build" >"$build/bench-configure.log" 2>&1 ||
  { tail -n 30 "$build/bench-configure.log"; echo "benchmarks: configure failed"; exit 1; }
targets=$(sed -n 's/^[[:space:]]*add_executable(\([A-Za-z0-9_]*\).*/\1/p' bench/*/CMakeLists.txt |
  sort -u)
# The programs some benchmarks start (the deliverables) come with their dependencies.
# shellcheck disable=SC2086
cmake --build "$build" -j 2 --target $targets >"$build/bench-build.log" 2>&1 ||
  { grep -E 'error' "$build/bench-build.log" | head -n 30; echo "benchmarks: build failed"; exit 1; }
mkdir -p "$logs"

# Figure $2 (TEXT or TEXT#N, see above) of the output in file $1.
figure() {
  local text=${2%#*} index=1
  [ "$text" != "$2" ] && index=${2##*#}
  grep -F -m 1 -- "$text" "$1" | awk -v text="$text" -v n="$index" '{
    rest = substr($0, index($0, text) + length(text))
    while (n > 0 && match(rest, /[0-9]+(\.[0-9]+)?/)) {
      value = substr(rest, RSTART, RLENGTH); rest = substr(rest, RSTART + RLENGTH); n--
    }
    if (n == 0) print value
  }'
}

rows=()
unmet=0
declare -A ran  # program and arguments already run: later rows read the same log
for measure in "${measures[@]}"; do
  IFS='|' read -r label program arguments display ours baseline goal <<<"$measure"
  exe="$build/$program"
  name=$(basename "$program")
  log="$logs/$name.log"
  if [ ! -x "$exe" ]; then
    rows+=("$label|-|-|-|$goal|no program ($program)")
    unmet=$((unmet + 1))
    continue
  fi
  if [ -n "${ran[$program $arguments]:-}" ]; then
    rc=${ran[$program $arguments]}
  else
    echo "=== $name $arguments"
    if [ "$display" = yes ]; then
      # shellcheck disable=SC2086
      run_on_virtual_display "$exe" $arguments >"$log" 2>&1
    else
      # shellcheck disable=SC2086
      "$exe" $arguments >"$log" 2>&1
    fi
    rc=$?
    ran[$program $arguments]=$rc
    sed 's/^/    /' "$log"
  fi
  # Some programs also exit non-zero when they miss their goal: their figures still count.
  mine=$(figure "$log" "$ours")
  base=-
  ratio=-
  [ -n "$baseline" ] && base=$(figure "$log" "$baseline")
  read -r kind op limit <<<"$goal"
  if [ -z "$mine" ] || [ -z "$base" ]; then
    rows+=("$label|${mine:-?}|${base:-?}|-|$goal|failed (exit $rc, figures not found)")
    unmet=$((unmet + 1))
    continue
  fi
  if [ "$kind" = ratio ]; then
    ratio=$(awk -v a="$mine" -v b="$base" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
    value=$ratio
  else
    value=$mine
  fi
  met=$(awk -v v="$value" -v op="$op" -v l="$limit" \
    'BEGIN { ok = (op == "<=") ? v <= l : (op == "<") ? v < l : (op == ">=") ? v >= l : v > l;
             print ok ? "yes" : "NO" }')
  [ "$met" = yes ] || unmet=$((unmet + 1))
  [ "$rc" -eq 0 ] || met="$met (exit $rc)"
  rows+=("$label|$mine|$base|$ratio|$goal|$met")
done

echo
printf '%-58s %12s %12s %8s %-14s %s\n' measure "ours (ms)" "base (ms)" ratio goal met
for row in "${rows[@]}"; do
  IFS='|' read -r label mine base ratio goal met <<<"$row"
  printf '%-58s %12s %12s %8s %-14s %s\n' "$label" "$mine" "$base" "$ratio" "$goal" "$met"
done
echo "benchmarks: $((${#rows[@]} - unmet)) of ${#rows[@]} goals met"
[ "$unmet" -eq 0 ]
