#!/usr/bin/env bash
# Takes a fresh Debian 12 machine (as root) to a working build-and-test environment:
# MinGW-w64 for i686 and x86_64, 64-bit Wine, and 32-bit Wine where this machine can execute
# 32-bit programs; Xvfb, the Japanese and English locales, a Japanese font, GoogleTest sources,
# CMake, and clang-format, clang-tidy and shellcheck for `make format` and `make lint`. Quick
# and silent when everything is already there.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/machine.sh"

packages=(
  cmake make googletest
  g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 xvfb x11-utils imagemagick
  locales fonts-ipafont-gothic fonts-wine zip unzip python3
  clang libclang-rt-14-dev clang-format clang-tidy shellcheck
)
# wine32 comes from the i386 architecture, which is worth adding only where i386 runs.
with_i386=0
if machine_runs_i386; then
  with_i386=1
  packages+=(wine32:i386)
fi

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  if [ $with_i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_if_needed dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  sudo_if_needed apt-get update -q
  sudo_if_needed apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Locales: Japanese for the ANSI code page 932, English for the English paths.
need_gen=0
for loc in "ja_JP.UTF-8 UTF-8" "en_US.UTF-8 UTF-8"; do
  if ! grep -qx "$loc" /etc/locale.gen 2>/dev/null; then
    echo "$loc" | sudo_if_needed tee -a /etc/locale.gen >/dev/null
    need_gen=1
  fi
done
if [ "$need_gen" -eq 1 ] || ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || ! locale -a 2>/dev/null | grep -qi '^en_US.utf8$'; then
  sudo_if_needed locale-gen >/dev/null
fi
