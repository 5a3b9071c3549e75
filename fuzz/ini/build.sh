#!/bin/sh
# Builds the INI text fuzzer (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into
# ${1:-/work/main/build/h-settings-fuzz}. Not part of the main build.
# Run: <out>/ini_text_fuzz -max_total_time=600 <out>/corpus fuzz/ini/seeds
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/build/h-settings-fuzz}
mkdir -p "$out/corpus"
clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Wall -Wextra -Werror -I"$root/src" \
  "$here/ini_text_fuzz.cpp" "$root/src/settings/ini_text.cpp" -o "$out/ini_text_fuzz"
echo "$out/ini_text_fuzz"
