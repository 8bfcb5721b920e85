#!/usr/bin/env bash
# Runs the benchmark of the build folder $1 under Wine, with a display and a wineserver of its
# own, as the test runner does. Prints one Markdown table.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
cd "${1:-build}" || exit 1
. "$here/wine-session.sh"

wine bin/varnel_bench.exe </dev/null
rc=$?

end_wine_session
exit $rc
