#!/usr/bin/env bash
# Builds the native libFuzzer programs (ASan + UBSan) with the host's clang and runs each for a
# bounded time. Usage: run-fuzzers.sh SOURCE_ROOT OUT_FOLDER SECONDS. Exit 77: no usable clang.
set -u
root="$1" out="$2" seconds="${3:-20}"
here="$(cd "$(dirname "$0")" && pwd)"
compiler="$(command -v clang++ || command -v clang++-14 || true)"
[ -n "$compiler" ] || { echo "clang++ not found: fuzzers skipped"; exit 77; }
mkdir -p "$out"

# shellcheck disable=SC2054 # the commas belong to one -fsanitize list
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$here/shim" -I"$root")
declare -A sources=(
  [fuzz_settings_file]="$root/settings/SettingsFile.cpp $root/settings/IniFileRewrite.cpp $root/settings/IniFileRead.cpp $root/settings/IniStream.cpp
                        $root/settings/IniEncoding.cpp $root/settings/Settings.cpp $root/settings/HotkeyKey.cpp"
  [fuzz_window_match]="$root/sweep/WindowMatch.cpp $root/sweep/ProgramImage.cpp"
)

status=0
for fuzzer in fuzz_settings_file fuzz_window_match; do
  # shellcheck disable=SC2086
  if ! "$compiler" "${flags[@]}" "$here/$fuzzer.cpp" ${sources[$fuzzer]} -o "$out/$fuzzer" 2>"$out/$fuzzer.build.log"; then
    if grep -q "libclang_rt.fuzzer\|cannot find -l" "$out/$fuzzer.build.log"; then
      echo "libFuzzer runtime missing: fuzzers skipped"; exit 77
    fi
    cat "$out/$fuzzer.build.log"; status=1; continue
  fi
  mkdir -p "$out/$fuzzer.corpus"
  dictionary=()
  [ -f "$here/$fuzzer.dict" ] && dictionary=(-dict="$here/$fuzzer.dict")
  (cd "$out" && "./$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
       "${dictionary[@]}" "$fuzzer.corpus" >"$fuzzer.log" 2>&1)
  rc=$?
  runs="$(grep -o 'Done [0-9]* runs' "$out/$fuzzer.log" | grep -o '[0-9]*')"
  echo "$fuzzer: ${runs:-no} runs in ${seconds} s, exit $rc"
  if [ "$rc" -ne 0 ]; then tail -40 "$out/$fuzzer.log"; status=1; fi
done
exit $status
