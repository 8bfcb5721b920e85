#!/usr/bin/env bash
# Runs the benchmark of one build below $1 under Wine, with a display and a wineserver of its
# own, as the test runner does: the 32-bit build where it runs, else the 64-bit one. Prints
# one Markdown table. Further arguments go to the benchmark ("settings", "command", "gone" or
# "exe": only those rows). The benchmark has a prefix of its own, whose top-level windows are
# unmanaged: with no window manager on the display, Wine would wait for one at every close.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/machine.sh"
pick_run_arch
cd "${1:-build}/$run_arch" || exit 1
[ $# -gt 0 ] && shift
export VARNEL_WINEPREFIX="$PWD/wineprefix-bench" VARNEL_UNMANAGED=1
. "$here/wine-session.sh"

"$VARNEL_WINE" bin/varnel_bench.exe "$@" </dev/null
rc=$?

end_wine_session
exit $rc
