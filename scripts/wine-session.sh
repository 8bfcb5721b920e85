# shellcheck shell=bash
# Sourced by the scripts that run programs of a build folder under Wine for a while (tests,
# benchmark, demo): the build's own prefix and loader, a display ($DISPLAY or a private Xvfb),
# one persistent wineserver, and end_wine_session to stop what was started. Expects $here (this
# folder) and the build folder as the current folder.

: "${here:?}"
# shellcheck source=/dev/null # generated into each build folder by CMake
. ./wine-env.sh
"$here/wine-prefix.sh" || exit 1

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  eval "$("$here/start-xvfb.sh")" || exit 1
  xvfb_pid="$VARNEL_XVFB_PID"
fi
wineserver -p
# Start Wine's own services now, with their output detached: started by a program whose
# output is a pipe (CTest's), they would inherit it and the reader would wait for them.
"$VARNEL_WINE" cmd /c exit </dev/null >/dev/null 2>&1

end_wine_session() {
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
