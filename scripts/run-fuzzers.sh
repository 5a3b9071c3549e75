#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build/fuzz and runs each one for a bounded
# time, keeping its corpus between runs. Prints the executions of every target; exits non-zero
# when a target finds a crash (the input is saved under build/fuzz/artifacts/).
#
#   scripts/run-fuzzers.sh            20 s per target (the quick run of the test command)
#   scripts/run-fuzzers.sh --long     10 minutes per target
#   scripts/run-fuzzers.sh --seconds N
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=20
case "${1:-}" in
  --long) seconds=600 ;;
  --seconds) seconds=${2:?--seconds needs a number} ;;
  "") ;;
  *) echo "usage: $0 [--long | --seconds N]" >&2; exit 2 ;;
esac

compiler=${FUZZ_CXX:-clang++-14}
build="$root/build/fuzz"
if ! command -v "$compiler" >/dev/null; then
  echo "fuzzers: $compiler not found, nothing run"
  exit 1
fi
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >"$build.configure.log" 2>&1 ||
  { tail -n 20 "$build.configure.log"; echo "fuzzers: configure failed"; exit 1; }
cmake --build "$build" -j 2 >"$build.build.log" 2>&1 ||
  { grep -E 'error' "$build.build.log" | head -n 20; echo "fuzzers: build failed"; exit 1; }

targets=$(find "$build" -maxdepth 2 -type f -perm -u+x -name '*_fuzz' | sort)
[ -n "$targets" ] || { echo "fuzzers: no target built"; exit 1; }

mkdir -p "$build/artifacts" "$build/logs"
failed=0
total=0
printf '%-20s %12s %8s %s\n' target executions seconds result
for target in $targets; do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  # Seeds: fuzz/seeds/NAME, or a seeds folder beside the target's source (fuzz/ini/seeds).
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds+=("fuzz/seeds/$name")
  for folder in fuzz/*/; do
    [ -f "$folder$name.cpp" ] && [ -d "${folder}seeds" ] && seeds+=("${folder}seeds")
  done
  log="$build/logs/$name.log"
  "$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
  result=ok
  if [ "$rc" -ne 0 ]; then
    result="CRASH (exit $rc, see $log)"
    failed=$((failed + 1))
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|[a-z_ ]+: )' "$log" | head -n 5
  fi
  total=$((total + ${runs:-0}))
  printf '%-20s %12s %8s %s\n' "$name" "${runs:-?}" "${time:-?}" "$result"
done
echo "fuzzers: $total executions, $failed target(s) crashed"
[ "$failed" -eq 0 ]
