#!/usr/bin/env bash
# Runs the whole test suite of each architecture built below $1 under Wine: x64 always, win32
# wherever this machine can execute 32-bit programs (VARNEL_SKIP_WIN32=1 skips it anywhere).
# Each suite has one display and one persistent wineserver; its tests run one after another.
# Ends with one line per architecture, and exits 0 only if every suite that ran passed and at
# least one ran.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/machine.sh"
builds="$(cd "${1:-build}" && pwd)" || exit 1

summary=()
ran=0
failed=0
for arch in x64 win32; do
  if [ "$arch" = win32 ] && ! win32_runs; then
    summary+=("$(win32_skipped_line)")
    continue
  fi
  start=$SECONDS
  (
    cd "$builds/$arch" || exit 1
    . "$here/wine-session.sh"
    read -ra ctest_args <<<"${CTEST_ARGS:-}"
    rm -f wine-restarts.log
    ctest --output-on-failure --timeout 300 "${ctest_args[@]}"
    rc=$?
    if [ -s wine-restarts.log ]; then
      echo "Wine did not start these programs at the first try (wine-run.sh started them again):"
      sed 's/^/  /' wine-restarts.log
    fi
    end_wine_session
    exit $rc
  )
  rc=$?
  ran=$((ran + 1))
  if [ $rc -eq 0 ]; then verdict=passed; else verdict=failed; failed=$((failed + 1)); fi
  restarts=""
  if [ -s "$builds/$arch/wine-restarts.log" ]; then
    restarts=", $(wc -l <"$builds/$arch/wine-restarts.log") started again by wine-run.sh"
  fi
  summary+=("$arch: $verdict in $((SECONDS - start)) s$restarts")
done

echo
echo "Test suites:"
printf '  %s\n' "${summary[@]}"
[ $ran -gt 0 ] && [ $failed -eq 0 ]
