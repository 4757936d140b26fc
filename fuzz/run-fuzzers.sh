#!/bin/sh
# The parsers' fuzzers, built for this Linux host with clang's libFuzzer and sanitizers.
#   run-fuzzers.sh build <native-build-dir>
#   run-fuzzers.sh run <name> <native-build-dir> [runs [seconds]]
# "run" replays the inputs kept in regressions/<name>/ first, then fuzzes from a scratch copy of
# seeds/<name>/ for a fixed number of runs (-1: no limit) capped at a number of seconds. The seed of
# the mutations is fixed, so a run is repeatable; FUZZ_SEED=0 lets libFuzzer pick one.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

case ${1:-} in
build)
  out=$2
  command -v clang++ >/dev/null || { echo "clang++ is missing (apt-get install clang libclang-rt-14-dev)" >&2; exit 1; }
  # The Windows build's cross compilers must not reach this one.
  unset CMAKE_TOOLCHAIN_FILE CC CXX CFLAGS CXXFLAGS LDFLAGS
  cmake -S "$here/native" -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= >/dev/null
  cmake --build "$out" -j 2
  ;;
run)
  name=$2 out=$3 runs=${4:-20000} seconds=${5:-40}
  fuzzer=$out/${name}_fuzzer
  [ -x "$fuzzer" ] || { echo "$fuzzer is not built: run-fuzzers.sh build $out" >&2; exit 1; }
  work=$out/runs/$name
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  if [ -d "$here/regressions/$name" ]; then
    "$fuzzer" -artifact_prefix="$work/artifacts/" "$here/regressions/$name"/*
  fi
  cp "$here/seeds/$name"/* "$work/corpus/"
  # A failing input lands in $work/artifacts/; copy it into regressions/<name>/ once the fault is fixed.
  exec "$fuzzer" -runs="$runs" -max_total_time="$seconds" -seed="${FUZZ_SEED:-1}" -timeout=10 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus"
  ;;
*)
  sed -n '2,7p' "$0" >&2
  exit 2
  ;;
esac
