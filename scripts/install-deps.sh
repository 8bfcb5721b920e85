#!/usr/bin/env bash
# Takes a fresh Debian 12 machine (as root) to a working build-and-test environment:
# MinGW-w64 for i686 and x86_64, 64-bit Wine, and 32-bit Wine where this machine can execute
# 32-bit programs; Xvfb, the Japanese and English locales, a Japanese font, GoogleTest sources,
# CMake, and clang-format, clang-tidy and shellcheck for `make format` and `make lint`. Quick
# and silent when everything is already there.
#
# A mirror in sync can serve an index that does not match its Release file. apt-get update is
# then tried again; if it keeps failing, the install goes on with the lists there are, then,
# should it fail, with the suites of the failing indexes left out, and last without wine32,
# whose reason it records for the test runner (machine.sh). One line says what went wrong.
#
# The system files it reads or writes can be named by the environment (for its tests):
# VARNEL_APT_SOURCES, VARNEL_APT_SOURCE_PARTS, VARNEL_APT_LISTS, VARNEL_LOCALE_GEN and
# VARNEL_WINE32_FAILURE; VARNEL_APT_TRIES and VARNEL_APT_PAUSE (seconds) pace apt-get update.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/machine.sh"

sources_list="${VARNEL_APT_SOURCES:-/etc/apt/sources.list}"
source_parts="${VARNEL_APT_SOURCE_PARTS:-/etc/apt/sources.list.d}"
apt_lists="${VARNEL_APT_LISTS:-/var/lib/apt/lists}"
locale_gen="${VARNEL_LOCALE_GEN:-/etc/locale.gen}"
update_tries="${VARNEL_APT_TRIES:-3}"
update_pause="${VARNEL_APT_PAUSE:-20}"
case $update_tries in '' | *[!0-9]* | 0) update_tries=3 ;; esac
case $update_pause in '' | *[!0-9]*) update_pause=20 ;; esac

packages=(
  cmake make googletest
  g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 xvfb x11-utils imagemagick
  locales fonts-ipafont-gothic fonts-wine zip unzip python3
  clang libclang-rt-14-dev clang-format clang-tidy shellcheck
)
wine32=wine32:i386
# wine32 comes from the i386 architecture, which is worth adding only where i386 runs.
with_i386=0
if machine_runs_i386; then
  with_i386=1
  packages+=("$wine32")
fi

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
say() { echo "install-deps: $*" >&2; }

remember_wine32_failure() {
  sudo_if_needed mkdir -p "$(dirname "$wine32_failure_file")"
  printf '%s\n' "$1" | sudo_if_needed tee "$wine32_failure_file" >/dev/null
}
forget_wine32_failure() {
  if [ -e "$wine32_failure_file" ]; then sudo_if_needed rm -f "$wine32_failure_file"; fi
}

# apt-get as root with the options in apt_opts; its output shown and kept in $work/apt.log,
# untranslated so that its errors can be read.
apt_get() {
  sudo_if_needed env LC_ALL=C.UTF-8 apt-get "${apt_opts[@]}" "$@" 2>&1 | tee "$work/apt.log"
}
apt_install() { apt_get install -y -q --no-install-recommends "$@"; }
# The last error apt-get reported, on one line.
apt_error() {
  local error
  error="$(grep '^E: ' "$work/apt.log" | tail -n 1)" || error="$(tail -n 1 "$work/apt.log")"
  printf '%s' "${error#E: }" | tr -d '\r\n'
}

# From the output of a failed apt-get update: update_failure says what failed (the first index
# it could not fetch, and why), and failed_sources holds the "URI suite" of each such index.
read_update_failure() {
  local line url why uri suite
  update_failure="failed ($(apt_error))"
  failed_sources=()
  while IFS= read -r line; do
    line="${line#?: Failed to fetch }"
    url="${line%% *}"
    if [[ $update_failure == failed* ]]; then
      why="$(printf '%s' "${line#"$url"}" | sed 's/^ *//; s/ *\[IP: [^]]*\]$//')"
      update_failure="could not fetch ${url#*/dists/} ($why)"
    fi
    [[ $url == */dists/* ]] || continue
    uri="${url%%/dists/*}" suite="${url#*/dists/}"
    while [[ $uri == */ ]]; do uri="${uri%/}"; done
    failed_sources+=("$uri ${suite%%/*}")
  done < <(grep -E '^[EW]: Failed to fetch ' "$work/apt.log")
}

# apt-get update, tried again after a pause while it fails. lists_note says what went wrong
# (empty when nothing did); fails when the last try failed too.
update_lists() {
  local try first=""
  lists_note=""
  for ((try = 1; try <= update_tries; try++)); do
    if apt_get update -q; then
      failed_sources=()
      if [ -n "$first" ]; then lists_note="apt-get update $first at try 1, and fetched every index at try $try"; fi
      return 0
    fi
    read_update_failure
    first="${first:-$update_failure}"
    if [ "$try" -lt "$update_tries" ]; then sleep "$update_pause"; fi
  done
  lists_note="apt-get update $update_failure in $update_tries tries"
  return 1
}

has_lists() { compgen -G "$1/*_Packages*" >/dev/null; }

# Copies of the sources, in both of apt's formats, without the entries of failed_sources.
write_sources_without_failed() {
  local out="$1" drop part
  drop="$(printf '%s\n' "${failed_sources[@]}")"
  mkdir -p "$out/parts"
  : >"$out/sources.list"
  if [ -f "$sources_list" ]; then one_line_sources_without "$drop" <"$sources_list" >"$out/sources.list"; fi
  for part in "$source_parts"/*.list; do
    [ -f "$part" ] && one_line_sources_without "$drop" <"$part" >"$out/parts/${part##*/}"
  done
  for part in "$source_parts"/*.sources; do
    [ -f "$part" ] && deb822_sources_without "$drop" <"$part" >"$out/parts/${part##*/}"
  done
  return 0
}

# "deb [options] URI suite components" lines; drops those whose "URI suite" is in $1.
one_line_sources_without() {
  awk -v drop="$1" '
    BEGIN { n = split(drop, d, "\n"); for (i = 1; i <= n; i++) left[d[i]] = 1 }
    {
      line = $0
      sub(/#.*/, "", line)
      gsub(/\[[^]]*\]/, " ", line)
      if (split(line, f, " ") >= 3 && (f[1] == "deb" || f[1] == "deb-src")) {
        uri = f[2]
        sub(/\/+$/, "", uri)
        if ((uri " " f[3]) in left) next
      }
      print
    }'
}

# deb822 stanzas: a stanza naming a "URI suite" of $1 is written once per URI, each with the
# suites that are left, and not at all where none is.
deb822_sources_without() {
  awk -v drop="$1" '
    BEGIN {
      RS = ""; FS = "\n"
      n = split(drop, d, "\n"); for (i = 1; i <= n; i++) left[d[i]] = 1
    }
    function base(uri) { sub(/\/+$/, "", uri); return uri }
    {
      uris = suites = field = ""; others = 0
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^[ \t]/ && field == "uris") { uris = uris " " $i; continue }
        if ($i ~ /^[ \t]/ && field == "suites") { suites = suites " " $i; continue }
        field = ""
        if ($i !~ /^#/ && match($i, /^[A-Za-z0-9-]+:/)) {
          name = tolower(substr($i, 1, RLENGTH - 1))
          value = substr($i, RLENGTH + 1)
          if (name == "uris") { field = name; uris = value; continue }
          if (name == "suites") { field = name; suites = value; continue }
        }
        other[++others] = $i
      }
      nu = split(uris, u, " "); ns = split(suites, s, " ")
      named = 0
      for (a = 1; a <= nu; a++) for (b = 1; b <= ns; b++) if ((base(u[a]) " " s[b]) in left) named = 1
      if (!named) { print $0; print ""; next }
      for (a = 1; a <= nu; a++) {
        kept = ""
        for (b = 1; b <= ns; b++) if (!((base(u[a]) " " s[b]) in left)) kept = kept " " s[b]
        if (kept == "") continue
        for (i = 1; i <= others; i++) print other[i]
        print "URIs: " u[a]; print "Suites:" kept; print ""
      }
    }'
}

# apt_opts for one update and install from copies of the sources without the failing suites,
# into lists of their own and with no package cache, so that the system's lists and cache stay
# as they were.
use_sources_without_failed() {
  write_sources_without_failed "$work/sources"
  mkdir -p "$work/lists/partial"
  apt_opts=(-o "Dir::Etc::SourceList=$work/sources/sources.list"
    -o "Dir::Etc::SourceParts=$work/sources/parts" -o "Dir::State::Lists=$work/lists"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
}

install_missing() {
  local lists_problem="" installed="the install went ahead." install_error note suites rest=() p
  apt_opts=()
  if ! update_lists; then
    lists_problem="$lists_note"
    installed="installed with the package lists there were."
    if ! has_lists "$apt_lists"; then
      say "$lists_note, and left no package lists; nothing was installed."
      return 1
    fi
  fi
  note="${lists_note:+$lists_note; }"
  if apt_install "${missing[@]}"; then
    if [ -n "$lists_note" ]; then say "$note$installed"; fi
    if [ "$with_i386" -eq 1 ]; then forget_wine32_failure; fi
    return 0
  fi
  install_error="$(apt_error)"
  note="${note}the install failed ($install_error)"
  [ "$with_i386" -eq 1 ] || { say "$note; nothing was installed."; return 1; }

  # Multiarch libraries need one version in both architectures: without the lists of the
  # failing suites, both sides take theirs from the suites whose lists are complete.
  if [ "${#failed_sources[@]}" -gt 0 ]; then
    suites="$(printf '%s\n' "${failed_sources[@]##* }" | sort -u | paste -sd, -)"
    use_sources_without_failed
    if { update_lists || has_lists "$work/lists"; } && apt_install "${missing[@]}"; then
      say "$note, so it installed from the other suites, leaving out $suites."
      forget_wine32_failure
      return 0
    fi
    note="$note, also without $suites"
    apt_opts=()
  fi

  for p in "${missing[@]}"; do [ "$p" = "$wine32" ] || rest+=("$p"); done
  if [ "${#rest[@]}" -lt "${#missing[@]}" ] && { [ "${#rest[@]}" -eq 0 ] || apt_install "${rest[@]}"; }; then
    remember_wine32_failure "apt-get install failed ($install_error)${lists_problem:+ after $lists_problem}"
    say "$note; installed all but wine32, so the win32 suite will be skipped."
    return 0
  fi
  say "$note; nothing was installed."
  return 1
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  work="$(mktemp -d)"
  chmod 755 "$work" # apt's download sandbox (user _apt) writes into the lists below it
  trap 'sudo_if_needed rm -rf "$work"' EXIT
  if [ $with_i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_if_needed dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  install_missing
elif [ "$with_i386" -eq 1 ]; then
  forget_wine32_failure
fi

# Locales: Japanese for the ANSI code page 932, English for the English paths.
need_gen=0
for loc in "ja_JP.UTF-8 UTF-8" "en_US.UTF-8 UTF-8"; do
  if ! grep -qx "$loc" "$locale_gen" 2>/dev/null; then
    echo "$loc" | sudo_if_needed tee -a "$locale_gen" >/dev/null
    need_gen=1
  fi
done
if [ "$need_gen" -eq 1 ] || ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || ! locale -a 2>/dev/null | grep -qi '^en_US.utf8$'; then
  sudo_if_needed locale-gen >/dev/null
fi
