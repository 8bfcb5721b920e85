#!/usr/bin/env bash
# Runs the benchmark of the build folder $1 under Wine, with a display and a wineserver of its
# own, as the test runner does. Prints one Markdown table.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-build}"
cd "$build" || exit 1

export WINEPREFIX="$PWD/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/wine-prefix.sh" || exit 1

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  eval "$("$here/start-xvfb.sh")" || exit 1
  xvfb_pid="$VARNEL_XVFB_PID"
fi
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1

wine bin/varnel_bench.exe </dev/null
rc=$?

wineserver -k 2>/dev/null
[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
exit $rc
