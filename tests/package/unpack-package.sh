#!/usr/bin/env bash
# Makes the release ZIP in build folder $1 and unpacks it into a fresh $1/package-test, where
# the package tests find the programs as a user gets them.
set -eu
cd "$1"
cpack >/dev/null
zip="Varnel-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)-win32.zip"
rm -rf package-test
mkdir package-test
cd package-test
cmake -E tar xf "../$zip"
ls
