#!/usr/bin/env bash
# Installs what is missing, builds, lays out a PC in a Wine prefix of the project's own and runs a whole
# local-mode diagnosis there, printing the report. Options go to the host: --korean, --raw, --save <file>,
# --links, --admin/--user, --help.
root="$(cd "$(dirname "$0")/.." && pwd)"
exec bash "$root/tools/run-on-demo-pc.sh" omniprobe_host omniprobe_host.exe "$@"
