#!/usr/bin/env bash
# Runs the whole test suite of the build folder $1 under Wine: one display and one persistent
# wineserver for the whole run, the tests one after another.
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
# Start Wine's own services now, with their output detached: started by a test program they
# would inherit its pipe, and CTest would wait for them.
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --output-on-failure --timeout 300 ${CTEST_ARGS:-}
rc=$?

wineserver -k 2>/dev/null
[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
exit $rc
