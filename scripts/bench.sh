#!/usr/bin/env bash
# Benchmark: a whole diagnosis against the Tarrow + reg.exe child processes it cannot avoid, on the
# run command's PC. Prints both medians and their ratio. Argument: repetitions (default 7).
root="$(cd "$(dirname "$0")/.." && pwd)"
exec bash "$root/tools/run-on-demo-pc.sh" diagnosis_benchmark diagnosis_benchmark.exe "${1:-7}"
