#!/usr/bin/env bash
# Starts Varnel under Wine with a few sample windows to close, from <build>/<arch>/demo/: the
# 32-bit build where this machine runs it, else the 64-bit one.
# With a display ($DISPLAY) it leaves the rest to the user and waits until Varnel exits. On a
# virtual display of its own it runs a short show instead: opens the main dialog, takes a
# screenshot, closes the folder windows with Ctrl+Alt+Shift+E, and exits Varnel.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
. "$here/machine.sh"
pick_run_arch
build="$(cd "${1:-build}/$run_arch" && pwd)" || exit 1
bin="$build/bin"
demo="$build/demo"

# shellcheck source=/dev/null # generated into each build folder by CMake
. "$build/wine-env.sh"
# Japanese unless VARNEL_TEST_LANG names another locale, as for the tests.
export LANG="${VARNEL_TEST_LANG:-ja_JP.UTF-8}"
export LC_ALL="$LANG"
"$here/wine-prefix.sh" || exit 1

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  eval "$("$here/start-xvfb.sh")" || exit 1
  xvfb_pid="$VARNEL_XVFB_PID"
fi

fail() { echo "demo: $*" >&2; exit 1; }
ctl() { "$VARNEL_WINE" "$bin/varnelctl.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
hex() { printf %s "$1" | od -An -tx1 | tr -d ' \n'; }
# Polls a command until it succeeds, for at most $1 tenths of a second.
poll() {
  local tenths="$1"; shift
  for _ in $(seq 1 "$tenths"); do "$@" && return 0; sleep 0.1; done
  return 1
}
windows_of() { [ "$(ctl count "$1")" = "$2" ]; }

mkdir -p "$demo"
for f in "$bin/Varnel.exe" "$bin/Quillon.exe" "$bin/Quillon.ini" "$root/package/target.ini"; do
  cp "$f" "$demo/" || fail "missing $f (run make build first)"
done
for f in targetwin.exe varnelctl.exe; do [ -f "$bin/$f" ] || fail "missing $bin/$f (build with VARNEL_TESTS=ON)"; done
cd "$demo" || fail "cannot enter $demo"
wineserver -p

# The show starts from known settings; a user on a real display gets the first-start welcome.
appdata_settings="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Lumo/Varnel/default.ini"
if [ -n "$xvfb_pid" ]; then
  rm -f "$appdata_settings"
  printf '[SETTINGS]\r\nRUNNEXT=false\r\nWAITTIME=20\r\n' > vrnl.ini
else
  rm -f vrnl.ini
fi

style=CF0000  # WS_OVERLAPPEDWINDOW
rm -f targets.log
"$VARNEL_WINE" "$bin/targetwin.exe" /log targets.log \
  /w "$(hex CabinetWClass)" "$(hex Documents)" $style 480 320 10 \
  /w "$(hex CabinetWClass)" "$(hex Pictures)" $style 480 320 10 \
  /w "$(hex MozillaWindowClass)" "$(hex 'Mozilla Firefox')" $style 560 360 10 \
  /w "$(hex Notepad)" "$(hex 'memo.txt - Notepad')" $style 400 260 10 >/dev/null 2>&1 &
poll 200 grep -q ready targets.log 2>/dev/null || fail "the sample windows did not open"

"$VARNEL_WINE" Varnel.exe >/dev/null 2>&1 &
varnel=$!
poll 200 windows_of VarnelDummy 1 || fail "Varnel did not start"

if [ -z "$xvfb_pid" ]; then
  echo "Varnel is running on $DISPLAY with two Explorer, one Firefox and one Notepad sample window."
  echo "Left-click its tray icon or press Ctrl+Alt+Shift+W for the main window; exit from the tray menu."
  wait "$varnel"
  exit 0
fi

"$VARNEL_WINE" Varnel.exe >/dev/null 2>&1 || fail "the second start failed"
geometry="$(ctl wait-main)" || fail "the main dialog did not open"
# The dialog with a margin, clipped to the screen by convert.
read -r w h x y <<<"$(echo "$geometry" | tr 'x+' '  ')"
shot="$demo/main-dialog.png"
import -display "$DISPLAY" -window root "$shot" 2>/dev/null || fail "no screenshot"
convert "$shot" -crop "$((w + 40))x$((h + 40))+$((x > 20 ? x - 20 : 0))+$((y > 20 ? y - 20 : 0))" +repage "$shot"
ctl close-main || fail "the main dialog did not close"

ctl hotkey-explorer || fail "Ctrl+Alt+Shift+E did not close the folder windows"
windows_of MozillaWindowClass 1 || fail "the Firefox window should still be open"

ctl exit || fail "no resident window to exit"
# shellcheck disable=SC2016 # expanded by eval at each poll, not here
poll 100 eval '! kill -0 "$varnel" 2>/dev/null' || fail "Varnel did not exit"
echo "Varnel is running fine under Wine: the main dialog opened on its second start,"
echo "2 Explorer windows closed by Ctrl+Alt+Shift+E (Firefox and Notepad left open),"
echo "Varnel exited through its menu command. Screenshot at $shot"
