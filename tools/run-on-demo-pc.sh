#!/usr/bin/env bash
# Installs what is missing, builds the run command's PC (target omni_demo_pc), lays it out
# (tools/prepare-demo.sh), registers the control there and runs build/demo/<program> with the remaining
# arguments. Each step is a phase (tools/phases.sh): a line on standard error when it starts and one with
# its time when it ends, its output in build/logs/. Once the program has ended, what it wrote on
# standard error follows, and its standard output last. Used by scripts/run.sh and scripts/bench.sh.
# Usage: run-on-demo-pc.sh [--web] [--phase <name>] <program.exe> [arguments...]
# --web starts the demo's content server (tools/content_server.py on build/demo/content) for the run and
# passes its address to the program as --param ServerURL=http://127.0.0.1:<port>/, and the page's own
# address on that server (--url http://127.0.0.1:<port>/diagnose.html), as a desk's page comes from its site.
# --phase names the program's phase (default "diagnosing").
set -euo pipefail
web=0 last=diagnosing
while :; do
    case "${1:-}" in
        --web) web=1; shift ;;
        --phase) last="$2"; shift 2 ;;
        *) break ;;
    esac
done
program="$1"
shift
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OMNI_BUILD_DIR:-$root/build}"
. "$root/tools/phases.sh"
phases_init "$build/logs"
checked=$(phase_now)

mapfile -t missing < <(bash "$root/scripts/setup.sh" --missing)
if [ ${#missing[@]} -gt 0 ]; then
    names=$(printf '%s, ' "${missing[@]}")
    phase "installing packages" packages "${#missing[@]} (${names%, })" bash "$root/scripts/setup.sh"
else
    # Nothing to install; setup.sh still checks what is not a package (the emulator's registration).
    phase_name="installing packages" phase_log="$build/logs/packages.log" phase_started=$checked
    bash "$root/scripts/setup.sh" >"$phase_log" 2>&1 </dev/null || phase_fail $?
fi

configure_and_build() {
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" &&
        cmake --build "$build" -j"$(nproc)" --target omni_demo_pc
}
# A configured build folder configures itself again only when the project's CMake files changed.
build_again() {
    cmake --build "$build" --target cmake_check_build_system &&
        cmake --build "$build" -j"$(nproc)" --target omni_demo_pc
}
if [ -f "$build/Makefile" ]; then
    phase_build building build lazy build_again
else
    phase_build building build eager configure_and_build
fi
if [ ${#missing[@]} -eq 0 ] && [ "$phase_worked" = 0 ]; then
    printf 'nothing to install or build (checked in %s)\n' "$(phase_since "$checked")" >&2
fi

phase "laying out the PC" layout "" sh "$root/tools/prepare-demo.sh" "$build" layout
phase "registering the control" control "" sh "$root/tools/prepare-demo.sh" "$build" control

args=("$@")
if [ "$web" = 1 ]; then
    server="$root/tools/content_server.py"
    [ -f "$server" ] || { echo "run-on-demo-pc: $server is missing; web mode needs it" >&2; exit 1; }
    state="$build/demo/content-server"
    python3 "$server" --start --root "$build/demo/content" --state "$state" >/dev/null
    . "$root/tools/exit-cleanup.sh"
    at_exit 'python3 "$server" --stop --state "$state" >/dev/null 2>&1'
    server_url="http://127.0.0.1:$(cat "$state/port")/"
    args+=(--param "ServerURL=$server_url" --url "${server_url}diagnose.html")
fi
# The component check creates each control in a window, as on any Windows desktop; without a display
# Wine cannot create windows, so a headless machine gets a virtual one.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a)
log="${last// /-}"
out="$build/logs/$log.out"
run_program() {
    OMNI_WINEPREFIX="$build/demo/wineprefix" "${display[@]}" "$build/wine-run.sh" "$build/demo/$program" \
        "${args[@]}" >"$out"
}
phase "$last" "$log" "" run_program
cat "$phase_log" >&2
cat "$out"
