#!/usr/bin/env bash
# Checks, without network or changes to the system, what scripts/install-deps.sh does when
# apt-get update cannot fetch a package index: stubs stand in for apt-get, dpkg, dpkg-query,
# sudo and the locale tools, and the script reads sources, lists, locale.gen and its wine32
# note from a folder of its own. Then checks the win32 summary line that the note leads to.
# The stubs act as a machine that runs 32-bit programs, so this runs on every machine.
set -u
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
fail() { echo "install-deps, $name: $*" >&2; return 1; }

write_stubs() {
  local stubs="$work/stubs"
  mkdir -p "$stubs"
  # apt-get logs each call as update or install, "/reduced" when given sources of its own and
  # "/no-wine32" for an install without wine32, and answers with the next word of STUB_UPDATE
  # or STUB_INSTALL (the last word once they run out), in the user's language unless told C.
  cat >"$stubs/apt-get" <<'STUB'
#!/usr/bin/env bash
[ "${LC_ALL:-}" = C.UTF-8 ] || { echo "E: 一部のインデックスファイルのダウンロードに失敗しました。" && exit 100; }
lists="$STUB_LISTS" parts="" list="" cmd="" call=""
for a in "$@"; do
  case $a in
    Dir::State::Lists=*) lists="${a#*=}" ;;
    Dir::Etc::SourceParts=*) parts="${a#*=}" ;;
    Dir::Etc::SourceList=*) list="${a#*=}" ;;
    update | install) cmd=$a ;;
  esac
done
call=$cmd
[ -n "$parts" ] && call="$call/reduced"
[ "$cmd" = install ] && [[ " $* " != *" wine32:i386 "* ]] && call="$call/no-wine32"
echo "$call" >>"$STUB_LOG"
if [ -n "$parts" ] && [ ! -d "$STUB_LOG.sources" ]; then
  mkdir "$STUB_LOG.sources" && cp "$list" "$parts"/* "$STUB_LOG.sources/"
fi
n=$(($(grep -c "^$cmd" "$STUB_LOG")))
if [ "$cmd" = update ]; then read -ra answers <<<"$STUB_UPDATE"; else read -ra answers <<<"$STUB_INSTALL"; fi
[ "$n" -gt "${#answers[@]}" ] && n=${#answers[@]}
case "$cmd:${answers[n - 1]}" in
  update:ok) touch "$lists/deb.debian.org_debian_dists_bookworm_main_binary-amd64_Packages.lz4" ;;
  update:index)
    touch "$lists/deb.debian.org_debian_dists_bookworm_main_binary-amd64_Packages.lz4"
    url=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
    echo "Err:5 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch $url  File has unexpected size (170000 != 169999). Mirror sync in progress? [IP: 151.101.2.132 80]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  update:offline)
    echo "W: Failed to fetch http://deb.debian.org/debian/dists/bookworm/InRelease  Temporary failure resolving 'deb.debian.org'"
    echo "W: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  install:broken)
    echo " zlib1g:i386 : Depends: ... but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
esac
exit 0
STUB
  cat >"$stubs/dpkg-query" <<'STUB'
#!/usr/bin/env bash
[[ " $STUB_MISSING " == *" ${!#} "* ]] || printf 'install ok installed'
STUB
  cat >"$stubs/locale-gen" <<'STUB'
#!/bin/sh
echo locale-gen >>"$STUB_LOG"
STUB
  printf '#!/bin/sh\necho i386\n' >"$stubs/dpkg"
  printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
  printf '#!/bin/sh\nprintf "en_US.utf8\\nja_JP.utf8\\n"\n' >"$stubs/locale"
  # machine.sh decodes its i386 probe with base64: this probe is a script, which runs anywhere.
  printf '#!/bin/sh\ncat >/dev/null\nprintf "#!/bin/sh\\nexit 0\\n"\n' >"$stubs/base64"
  chmod +x "$stubs"/*
}

# The machine's sources in both of apt's formats, with the failing suite in each.
write_sources() {
  local etc="$work/etc"
  mkdir -p "$etc/sources.list.d"
  cat >"$etc/sources.list" <<'EOF'
deb http://deb.debian.org/debian bookworm main
# deb http://deb.debian.org/debian-security bookworm-security main
deb [arch=amd64,i386 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security/ bookworm-security main
EOF
  cat >"$etc/sources.list.d/debian.sources" <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
# a second mirror of the security suite
URIs: http://deb.debian.org/debian-security/
 http://security.example.org/debian-security
suites: bookworm-security
Components: main
EOF
  echo "deb http://deb.debian.org/debian-security bookworm-security main" >"$etc/sources.list.d/old.list.disabled"
}

expected_sources() {
  cat <<'EOF'
== debian.sources
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
# a second mirror of the security suite
Components: main
URIs: http://security.example.org/debian-security
Suites: bookworm-security

== sources.list
deb http://deb.debian.org/debian bookworm main
# deb http://deb.debian.org/debian-security bookworm-security main
EOF
}

# One case: what is missing, apt-get's answers to update and install, then what is wanted:
# exit status, apt-get's calls, a pattern for the script's output and for its wine32 note
# ("-" for none).
run_case() {
  local missing="$1" updates="$2" installs="$3" want_rc="$4" want_calls="$5" want_said="$6" want_note="$7"
  local box="$work/$name" rc calls said
  mkdir -p "$box/lists"
  printf 'ja_JP.UTF-8 UTF-8\nen_US.UTF-8 UTF-8\n' >"$box/locale.gen"
  echo "an earlier failure" >"$box/wine32-failure"
  : >"$box/calls"
  env -u VARNEL_SKIP_WIN32 PATH="$work/stubs:$PATH" STUB_LOG="$box/calls" STUB_LISTS="$box/lists" \
    STUB_MISSING="$missing" STUB_UPDATE="$updates" STUB_INSTALL="$installs" \
    VARNEL_APT_SOURCES="$work/etc/sources.list" VARNEL_APT_SOURCE_PARTS="$work/etc/sources.list.d" \
    VARNEL_APT_LISTS="$box/lists" VARNEL_LOCALE_GEN="$box/locale.gen" \
    VARNEL_WINE32_FAILURE="$box/wine32-failure" VARNEL_APT_PAUSE=0 \
    "$root/scripts/install-deps.sh" >"$box/out" 2>&1
  rc=$?
  said="$(grep '^install-deps:' "$box/out")"
  calls="$(paste -sd' ' "$box/calls")"
  [ "$rc" -eq "$want_rc" ] || { fail "exited with $rc, want $want_rc: $(cat "$box/out")"; return 1; }
  [ "$calls" = "$want_calls" ] || { fail "apt-get calls '$calls', want '$want_calls'"; return 1; }
  if [ "$want_said" = - ]; then
    [ ! -s "$box/out" ] || { fail "said '$(cat "$box/out")', want nothing"; return 1; }
  elif [ "$(printf '%s\n' "$said" | wc -l)" -ne 1 ] || [[ ! $said =~ $want_said ]]; then
    fail "said '$said', want one line matching '$want_said'"
    return 1
  fi
  if [ "$want_note" = - ]; then
    [ ! -e "$box/wine32-failure" ] || { fail "the wine32 note is still there"; return 1; }
  else
    grep -Eq "$want_note" "$box/wine32-failure" 2>/dev/null ||
      { fail "the wine32 note does not match '$want_note'"; return 1; }
  fi
}

# The reduced sources left out bookworm-security in both formats, and only that.
check_reduced_sources() {
  local got
  got="$(cd "$work/$name/calls.sources" && for f in *; do
    echo "== $f"
    cat "$f"
  done)"
  diff <(expected_sources) <(printf '%s\n' "$got") >&2 || fail "the sources without bookworm-security differ"
}

# The win32 summary line on a machine that runs 32-bit programs, with the wine32 note of the
# last case, without it, and once wine32's loader is there.
check_summary() {
  local note="$work/$name/wine32-failure"
  (
    unset VARNEL_SKIP_WIN32
    VARNEL_WINE32_FAILURE="$note"
    . "$root/scripts/machine.sh"
    machine_runs_i386() { return 0; }
    wine32_loader="$work/no-loader"
    if win32_runs || [ "$(win32_skipped_line)" != "win32: skipped, wine32 could not be installed: $(cat "$note")" ]; then
      fail "summary '$(win32_skipped_line)' does not give the note"
      exit 1
    fi
    rm "$note"
    if win32_runs || [ "$(win32_skipped_line)" != "win32: skipped, 32-bit Wine (wine32) is not installed" ]; then
      fail "summary without a note: '$(win32_skipped_line)'"
      exit 1
    fi
    echo "stale" >"$note"
    wine32_loader="$work/stubs/sudo"
    win32_runs || { fail "the win32 suite is skipped although wine32 is there: $win32_why"; exit 1; }
  )
}

write_stubs
write_sources
some="xvfb wine32:i386"
index="could not fetch bookworm-security/main/binary-i386/Packages.xz \(File has unexpected size \(170000 != 169999\)\. Mirror sync in progress\?\)"
broken="the install failed \(Unable to correct problems, you have held broken packages\.\)"
# name | missing | update answers | install answers | exit | apt-get calls | output | wine32 note
while IFS='|' read -r name missing updates installs rc calls said note extra; do
  run_case "$missing" "$updates" "$installs" "$rc" "$calls" "$said" "$note" && { [ -z "$extra" ] || $extra; } &&
    passed=$((passed + 1)) || failed=$((failed + 1))
done <<CASES
all there||ok|ok|0||-|-|
update fails once|$some|index ok|ok|0|update update install|^install-deps: apt-get update $index at try 1, and fetched every index at try 2; the install went ahead\.$|-|
i386 install fails after a good update|$some|index ok|broken ok|0|update update install install/no-wine32|at try 2; $broken; installed all but wine32, so the win32 suite will be skipped\.$|^apt-get install failed \(Unable to correct problems, you have held broken packages\.\)$|
update fails on one index|$some|index|ok|0|update update update install|^install-deps: apt-get update $index in 3 tries; installed with the package lists there were\.$|-|
i386 install works without the suite|$some|index index index ok|broken ok|0|update update update install update/reduced install/reduced|$broken, so it installed from the other suites, leaving out bookworm-security\.$|-|check_reduced_sources
i386 install fails for good|$some|index index index ok|broken broken ok|0|update update update install update/reduced install/reduced install/no-wine32|$broken, also without bookworm-security; installed all but wine32, so the win32 suite will be skipped\.$|^apt-get install failed \(Unable to .* after apt-get update could not fetch bookworm-security/.* in 3 tries$|check_summary
no lists at all|$some|offline|ok|1|update update update|could not fetch bookworm/InRelease \(Temporary failure resolving 'deb.debian.org'\) in 3 tries, and left no package lists; nothing was installed\.$|an earlier|
CASES
echo "install deps: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
