#!/usr/bin/env bash
# Runs the whole test suite of the build folder $1 under Wine: one display and one persistent
# wineserver for the whole run, the tests one after another.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
cd "${1:-build}" || exit 1
. "$here/wine-session.sh"

ctest --output-on-failure --timeout 300 ${CTEST_ARGS:-}
rc=$?

end_wine_session
exit $rc
