#!/usr/bin/env bash
# Creates the Wine prefix named by $WINEPREFIX once, for $WINEARCH with the loader $VARNEL_WINE
# (wine-env.sh of the build sets all three), serialised with a lock so that parallel
# first starts cannot race. Switches Wine's crash dialog off, so that a crash fails a test
# instead of hanging it, and puts every window on a virtual desktop: without a window manager
# on the display, Wine would wait for one at every hide and destroy of a top-level window.
# With VARNEL_UNMANAGED=1 (the benchmark's prefix) the X11 driver also leaves top-level
# windows unmanaged, for the same reason.
set -eu
: "${WINEPREFIX:?}" "${WINEARCH:?}" "${VARNEL_WINE:?}"

[ -f "$WINEPREFIX/.varnel-ready-4" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.varnel-ready-4" ] && exit 0

DISPLAY='' "$VARNEL_WINE" wineboot -i >/dev/null 2>&1 || true
wineserver -w
"$VARNEL_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$VARNEL_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
"$VARNEL_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f >/dev/null 2>&1
if [ "${VARNEL_UNMANAGED:-}" = 1 ]; then
  "$VARNEL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
fi
# The dialogs' face is not installed here: draw it with the proportional IPA Gothic, whose
# metrics are close, rather than Wine's fixed-width fallback. The name converts from UTF-8.
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$VARNEL_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
  /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1
# Caption buttons are drawn with Marlett, which Wine does not find on its own here.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
wineserver -w
touch "$WINEPREFIX/.varnel-ready-4"
