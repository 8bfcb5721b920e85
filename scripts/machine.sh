# shellcheck shell=bash
# Sourced: what this Linux machine can run. Some machines refuse every 32-bit x86 program
# ("Exec format error"), so 32-bit Wine cannot start there; 64-bit Wine always can.
# VARNEL_SKIP_WIN32=1 makes any machine act as one of those.

# 32-bit Wine's loader, and the file in which install-deps.sh says why it could not install
# wine32 (removed once it could); VARNEL_WINE32_FAILURE names another.
wine32_loader=/usr/lib/wine/wine
wine32_failure_file="${VARNEL_WINE32_FAILURE:-/var/lib/varnel/wine32-failure}"

# A minimal static i386 ELF that only exits with 0: runs exactly where 32-bit programs run.
i386_probe='f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhgAAAAYAAAAAUAAAAAEAAAuAEAAAC7AAAAAM2A'

machine_runs_i386() {
  local probe rc
  probe="$(mktemp)" || return 1
  printf %s "$i386_probe" | base64 -d >"$probe" && chmod +x "$probe" && "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

# True when the 32-bit suite can run here; otherwise win32_why says why not.
win32_runs() {
  win32_why=""
  if [ -n "${VARNEL_SKIP_WIN32:-}" ]; then
    win32_why="VARNEL_SKIP_WIN32 is set"
  elif ! machine_runs_i386; then
    win32_why="this machine cannot execute 32-bit x86 programs"
  elif [ ! -x "$wine32_loader" ] && [ -s "$wine32_failure_file" ]; then
    win32_why="wine32 could not be installed: $(head -n 1 "$wine32_failure_file")"
  elif [ ! -x "$wine32_loader" ]; then
    win32_why="32-bit Wine (wine32) is not installed"
  fi
  [ -z "$win32_why" ]
}

# The summary line of a win32 suite that win32_runs ruled out.
win32_skipped_line() { echo "win32: skipped, $win32_why"; }

# Sets run_arch to the build for one run of Varnel (demo, benchmark): win32 where it runs,
# else x64, and says which.
pick_run_arch() {
  if win32_runs; then run_arch=win32; else run_arch=x64; fi
  echo "Using the $run_arch build${win32_why:+ ($win32_why)}."
}
