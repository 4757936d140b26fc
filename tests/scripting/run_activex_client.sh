#!/bin/sh
# Registers Omniprobe.ocx in the tests' prefix, runs the Script Host client against it and
# unregisters it again, whatever the client answered. Arguments: <build folder> <client.js>
build="$1"
script="$2"
export WINEPREFIX="$build/wineprefix"
. "$(dirname "$0")/../../tools/wine-env.sh"
ocx="$(winepath -w "$build/bin/Omniprobe.ocx")"
wine 'C:\windows\syswow64\regsvr32.exe' /s "$ocx" || { echo "registration failed"; exit 1; }
# Output through a file: Wine's service processes would otherwise hold the pipe open.
out="$(mktemp)"
wine 'C:\windows\syswow64\cscript.exe' //nologo "$(winepath -w "$script")" >"$out" 2>/dev/null
status=$?
cat "$out"
rm -f "$out"
wine 'C:\windows\syswow64\regsvr32.exe' /s /u "$ocx"
exit $status
