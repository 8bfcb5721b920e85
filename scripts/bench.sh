#!/usr/bin/env bash
# Runs the benchmark of one build below $1 under Wine, with a display and a wineserver of its
# own, as the test runner does: the 32-bit build where it runs, else the 64-bit one. Prints
# one Markdown table. Further arguments go to the benchmark ("settings", "command" or "exe":
# only those rows).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/machine.sh"
pick_run_arch
cd "${1:-build}/$run_arch" || exit 1
[ $# -gt 0 ] && shift
. "$here/wine-session.sh"

"$VARNEL_WINE" bin/varnel_bench.exe "$@" </dev/null
rc=$?

end_wine_session
exit $rc
