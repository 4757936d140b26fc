#!/usr/bin/env bash
# The run command on a build broken on purpose: a compiler launcher refuses every source of the project
# (the configure step's compiler checks still pass). The run must end in the building phase with its
# name, the last 20 lines of its log and the log's path, a non-zero exit code and nothing on standard
# output. Argument: the source folder.
set -uo pipefail
root="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cat >"$scratch/broken-compiler" <<EOF
#!/bin/sh
case " \$* " in *" $root/"*) echo "error: this build is broken on purpose"; exit 1 ;; esac
exec "\$@"
EOF
chmod +x "$scratch/broken-compiler"

OMNI_BUILD_DIR="$scratch/build" CMAKE_C_COMPILER_LAUNCHER="$scratch/broken-compiler" \
    CMAKE_CXX_COMPILER_LAUNCHER="$scratch/broken-compiler" \
    bash "$root/scripts/run.sh" >"$scratch/out" 2>"$scratch/err"
rc=$?
log="$scratch/build/logs/build.log"
fail() {
    echo "FAIL: $1; exit code $rc, standard error:"
    cat "$scratch/err"
    exit 1
}
[ "$rc" != 0 ] || fail "the run succeeded"
[ ! -s "$scratch/out" ] || fail "standard output is not empty"
grep -q '^building: FAILED after ' "$scratch/err" || fail "no line names the failed phase"
grep -q '^laying out the PC' "$scratch/err" && fail "the run went on after the failed phase"
[ "$(tail -n 1 "$scratch/err")" = "log: $log" ] || fail "the last line is not the log's path"
[ "$(tail -n 21 "$scratch/err" | head -n 20)" = "$(tail -n 20 "$log")" ] || fail "no tail of the log"
tail -n 21 "$scratch/err" | grep -q 'broken on purpose' || fail "the tail does not show the compiler's error"
echo "the building phase failed as it should"
