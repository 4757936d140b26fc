#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine (with an X server for
# dialogs), then prints how long each test took, longest first.
#   --help   this text
# Environment: OMNI_BUILD_DIR (default build/), OMNI_TEST_JOBS (tests run side by side; default 6: most
# of them wait on dialogs, timers and other processes rather than on the processor; 4 where qemu runs
# the 32-bit side, since the processor is then the limit and more side by side only slows each).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-}" in
    --help|-h) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    "") ;;
    *) echo "test.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
esac
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
started=$(date +%s)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
mkdir -p "$build/logs"
# The desk's receiver is built beside the Windows build, which leaves the processor idle while Wine
# makes its prefix: among the tests, where most of them wait on Wine, its compiler would have a small
# share and hold back the tests that need it. A failure shows in the test desk_build, which builds again.
sh "$root/desk/build.sh" "$build/desk-native" >"$build/logs/desk-build.log" 2>&1 &
desk=$!
cmake --build "$build" -j"$(nproc)"
wait $desk || echo "test.sh: the desk's receiver did not build (build/logs/desk-build.log)" >&2
built=$(date +%s)
# Keep one wineserver alive for the whole run: every test program then starts faster.
export WINEPREFIX="$build/wineprefix"
. "$root/tools/wine-env.sh"
wineserver -p >/dev/null 2>&1
. "$root/tools/exit-cleanup.sh"
at_exit 'WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null'
mkdir -p "$build/logs"
cd "$build"
rc=0
jobs=6
grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && jobs=4
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"${OMNI_TEST_JOBS:-$jobs}" 2>&1 |
    tee "$build/logs/ctest.log" || rc=$?
bash "$root/tools/test-times.sh" "$build/logs/ctest.log"
echo "build $((built - started)) s, tests $(($(date +%s) - built)) s"
exit $rc
