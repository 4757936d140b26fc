#!/bin/sh
# Builds omniprobe-desk and its tests (or the targets named) with the machine's own compiler into a folder.
# Usage: desk/build.sh <build folder> [target...]   (default: the service and its tests)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$1
# The Windows build's cross compilers must not reach this one.
unset CMAKE_TOOLCHAIN_FILE CC CXX CFLAGS CXXFLAGS LDFLAGS
cmake -S "$here" -B "$out" >/dev/null
shift
targets=""
for t in "$@"; do targets="$targets --target $t"; done
cmake --build "$out" -j "$(nproc)" $targets
