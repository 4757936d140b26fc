#!/bin/sh
# Runs a test program in a throwaway copy of the tests' prefix from which one COM class is removed,
# in both registry views, so the program sees a PC where that component was never installed; with "-"
# for the class nothing is removed, and what the program writes to the machine stays in the copy.
# Usage: run-in-throwaway-prefix.sh <build folder> <{CLSID}|-> <program> [arguments...]
set -e
build="$1"
clsid="$2"
shift 2
. "$(dirname "$0")/exit-cleanup.sh"
. "$(dirname "$0")/throwaway-prefix.sh"
enter_throwaway_prefix "$build/wineprefix-template" "$build/throwaway-prefix-$$"
[ "$clsid" = - ] || for view in 64 32; do
  "$build/wine-run.sh" 'C:\windows\system32\reg.exe' delete "HKLM\\Software\\Classes\\CLSID\\$clsid" /f /reg:$view >/dev/null
done
rc=0
"$build/wine-run.sh" "$@" || rc=$?
exit $rc
