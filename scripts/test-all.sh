#!/usr/bin/env bash
# The whole test run, as CI runs it: installs what is missing from Debian's packages, builds the
# native, sanitizer and Windows configurations, runs every test natively, under the sanitizers
# and (Windows executables) under Wine, runs each fuzz target for a short while, builds the
# release configuration and tries its Debian packages and the Windows installers, all inside one
# virtual X display, and ends with a summary.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh || { echo "summary: 0 passed, 1 failed (package install)"; exit 1; }
source tests/support/wine_session.sh
# One display for the whole run, also where one is set already: Qt's xcb tests and Wine's
# programs share it.
start_virtual_display || { echo "summary: 0 passed, 1 failed (virtual display)"; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
log_dir="$root/build/test-logs"
mkdir -p "$log_dir"
passed=0
failed=0
problems=()
notes=()

# Announces a stage with the time since the run began, so that slow stages show.
stage() {
  printf '=== [%dm%02ds] %s\n' $((SECONDS / 60)) $((SECONDS % 60)) "$*"
}

# Prints what the first failed tests of a ctest log (run with --output-on-failure) printed, a
# bounded part of each, so that the run's own output says why they failed.
show_failures() {
  awk '
    /^ *Start +[0-9]+: / || /Test +#[0-9]+: / { showing = 0 }
    /Test +#[0-9]+: .*\*\*\*(Failed|Timeout|Exception)/ {
      if (++failures > 5) exit
      showing = 1; lines = 0; print "--- " $0; next
    }
    showing && ++lines <= 60 { print }
  ' "$1"
}

# Runs one configuration: configure, build, ctest. Adds its counts to the totals. With
# ctest_tries=N in its environment a failed test runs again, up to N times in all; a test that
# passes only on a later try counts as passed and is named in a note at the end.
run_config() {
  local preset=$1
  shift
  local repeat=()
  [ -z "${ctest_tries:-}" ] || repeat=(--repeat "until-pass:$ctest_tries")
  stage "$preset: configure and build"
  if ! cmake --preset "$preset" >"$log_dir/$preset-configure.log" 2>&1; then
    tail -n 30 "$log_dir/$preset-configure.log"
    problems+=("$preset: configure failed")
    failed=$((failed + 1))
    return
  fi
  if ! cmake --build --preset "$preset" -j "$jobs" >"$log_dir/$preset-build.log" 2>&1; then
    grep -E 'error|Error' "$log_dir/$preset-build.log" | head -n 40
    problems+=("$preset: build failed")
    failed=$((failed + 1))
    return
  fi
  stage "$preset: tests"
  "$@" ctest --preset "$preset" -j "$jobs" --timeout 600 --output-on-failure "${repeat[@]}" \
    >"$log_dir/$preset-ctest.log" 2>&1
  tail -n 25 "$log_dir/$preset-ctest.log"
  show_failures "$log_dir/$preset-ctest.log"
  # A later try's result line carries no "N/M" count.
  local retried
  retried=$(grep -E '^ +Test +#[0-9]+: .* Passed ' "$log_dir/$preset-ctest.log" |
    sed -E 's/^ +Test +#[0-9]+: ([^ ]+).*/\1/')
  [ -z "$retried" ] || notes+=("$preset: passed on a later try: $(echo $retried)")
  local line total bad
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log_dir/$preset-ctest.log" | tail -n 1)
  if [ -z "$line" ]; then
    problems+=("$preset: ctest printed no result")
    failed=$((failed + 1))
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || problems+=("$preset: $bad of $total tests failed")
}

export QT_QPA_PLATFORM=xcb
run_config linux env

export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_config asan env
unset LSAN_OPTIONS ASAN_OPTIONS UBSAN_OPTIONS

# The fuzz targets, a short bounded run each (scripts/run-fuzzers.sh --long runs them for ten
# minutes). A crash or a failed build counts as one failure.
stage "fuzz: build and run"
if bash scripts/run-fuzzers.sh --seconds 10 >"$log_dir/fuzz.log" 2>&1; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  problems+=("fuzz: see $log_dir/fuzz.log")
fi
tail -n 8 "$log_dir/fuzz.log"

# Wine: a prefix of our own inside the build tree and a server kept running for the whole ctest
# run (tests/support/wine_session.sh says why each step is there). The Windows GUI tests run the
# Wine programs on the same display, and their real drags use the drag source of the linux build.
if start_wine_session --persistent "$root/build/windows/wineprefix"; then
  # The converters the Windows programs carry (poppler and its libraries, cross-built once into
  # the windows build tree, which the installers below reuse) first, as a stage of their own so
  # that its time shows; a failure shows in the windows build after it.
  stage "windows: the converters (poppler, cross-built)"
  cmake --preset windows >"$log_dir/windows-configure.log" 2>&1 &&
    cmake --build --preset windows --target windows_converters -j "$jobs" \
      >"$log_dir/windows-converters.log" 2>&1 ||
    tail -n 30 "$log_dir/windows-converters.log" 2>/dev/null
  # Under load Wine now and then fails to start a process (a test itself, or the converter a
  # test's run starts, seen about once in a few hundred runs); such a test gets a second try.
  ctest_tries=2 run_config windows env
else
  problems+=("windows: the Wine server did not start")
  failed=$((failed + 1))
fi
end_wine_session

# Adds the counts of a check script's last line ("NAME: N passed, M failed", in
# $log_dir/NAME.log) to the totals.
count_checks() {
  local name=$1 line good bad
  tail -n 16 "$log_dir/$name.log"
  line=$(grep -E "^$name: [0-9]+ passed, [0-9]+ failed\$" "$log_dir/$name.log" | tail -n 1)
  if [ -z "$line" ]; then
    problems+=("$name: no result, see $log_dir/$name.log")
    failed=$((failed + 1))
    return
  fi
  read -r _ good _ bad _ <<<"$line"
  passed=$((passed + good))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || problems+=("$name: $bad checks failed, see $log_dir/$name.log")
}

# The release build, whole (the benchmarks and the Debian packages come from it; it counts as one
# test), then the packages tried as a user gets them, each check counted: lintian, the installed
# files, and a conversion by a real drag with each unpacked program.
stage "release: configure and build"
if cmake --preset release >"$log_dir/release-configure.log" 2>&1 &&
  cmake --build --preset release -j "$jobs" >"$log_dir/release-build.log" 2>&1; then
  passed=$((passed + 1))
  stage "package: build, check and try the Debian packages"
  bash tests/package/package_test.sh "$root/build/release" >"$log_dir/package.log" 2>&1
  count_checks package
  # The Windows installers and zips, from the windows build, in a Wine prefix of their own; the
  # release build's drag source drops the PDF on the installed program.
  stage "installer: build, check and try the Windows installers"
  bash tests/package/installer_test.sh "$root/build/windows" "$root/build/release" \
    >"$log_dir/installer.log" 2>&1
  count_checks installer
else
  cat "$log_dir/release-configure.log" "$log_dir/release-build.log" | grep -E 'error|Error' |
    head -n 40
  problems+=("release: configure or build failed")
  failed=$((failed + 1))
fi

echo
for note in "${notes[@]}"; do echo "note: $note"; done
for problem in "${problems[@]}"; do echo "problem: $problem"; done
stage "done"
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
