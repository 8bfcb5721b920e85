#!/usr/bin/env bash
# Makes the release ZIP $2 in build folder $1 and unpacks it into a fresh $1/package-test, where
# the package tests find the programs as a user gets them.
set -eu
cd "$1"
cpack >/dev/null
rm -rf package-test
mkdir package-test
cd package-test
cmake -E tar xf "../$2"
ls
