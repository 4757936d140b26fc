#!/bin/sh
# Builds omniprobe-desk, its tests and its benchmark driver with the machine's own compiler into a folder.
# Usage: desk/build.sh <build folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$1
# The Windows build's cross compilers must not reach this one.
unset CMAKE_TOOLCHAIN_FILE CC CXX CFLAGS CXXFLAGS LDFLAGS
cmake -S "$here" -B "$out" >/dev/null
cmake --build "$out" -j 2
