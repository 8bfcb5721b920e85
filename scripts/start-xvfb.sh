#!/usr/bin/env bash
# Starts Xvfb on a free display number and prints shell assignments for DISPLAY and
# VARNEL_XVFB_PID, to be eval'ed by the caller, which stops the server when done.
set -eu
for n in $(seq 90 189); do
  [ -e "/tmp/.X$n-lock" ] && continue
  [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 100); do
    if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
      echo "export DISPLAY=:$n; VARNEL_XVFB_PID=$pid"
      exit 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
done
echo "start-xvfb: no free display" >&2
exit 1
