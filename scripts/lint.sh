#!/usr/bin/env bash
# Static analysis of the product code with clang-tidy and the checks in .clang-tidy, through the
# compile database of the x64 MinGW build in $1/x64 (configured first where it is missing).
# Prints the findings and exits non-zero when there is any.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-build}" && pwd)/x64"
jobs="${2:-2}"
cd "$root"

[ -f "$build/compile_commands.json" ] || cmake "$build" >/dev/null
# sed stops at the first match itself: behind head, under pipefail, a sed still writing would
# end the script with SIGPIPE.
compiler=$(sed -n 's/^ *"command": "\([^ ]*\) .*/\1/p;T;q' "$build/compile_commands.json")

# Clang finds the MinGW headers on its own, but not the C++ library of this MinGW GCC: take its
# directories from the compiler that builds the product.
args=(-p "$build" --quiet --warnings-as-errors='*' --extra-arg=--target=x86_64-w64-mingw32
      "--header-filter=^$root/(framework|settings|sweep|dialogs|shell|autorun|resources)/")
while read -r dir; do
  args+=("--extra-arg=-isystem$(realpath "$dir")")
done < <(echo | "$compiler" -xc++ -E -v - 2>&1 |
         sed -n '/#include <...> search starts here:/,/End of search list/s/^ //p' | grep '/c++')

# One clang-tidy per file, $jobs at a time; a file's report is printed only when it has findings.
# shellcheck disable=SC2016 # the inner bash expands $out and $@, once per file
find framework settings sweep dialogs shell autorun -name '*.cpp' | sort |
  xargs -P "$jobs" -n 1 bash -c \
    'out=$(clang-tidy "$@" 2>&1) || { printf "%s\n" "$out" | grep -v "warnings generated\.$"; exit 1; }' \
    clang-tidy "${args[@]}"
echo "lint: no findings"
