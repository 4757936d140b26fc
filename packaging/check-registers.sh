#!/bin/bash
# Registers Omniprobe.ocx as it comes out of the CAB (stripped, signed) in a throwaway copy of the
# tests' prefix, then checks that its class names that file. Usage: check-registers.sh <build> <cab>
build="$(cd "$1" && pwd)"; cab="$2"
clsid="{4814A6CB-9A5D-4F66-99F5-79413040054B}"
prefix="$build/throwaway-prefix-$$"
# The prefix's own wineserver goes with the prefix, also when ctest stops the test.
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null; rm -rf "$prefix"' EXIT
trap 'exit 143' INT TERM
sh "$(dirname "$0")/../tools/throwaway-prefix.sh" "$build/wineprefix" "$prefix" || exit 1
# With the stamp Wine takes the copy as up to date instead of updating its configuration first.
cp -a "$build/wineprefix/.update-timestamp" "$prefix/" 2>/dev/null
export OMNI_WINEPREFIX="$prefix"
mkdir -p "$prefix/drive_c/Omniprobe"
gcab -x -C "$prefix/drive_c/Omniprobe" "$cab" || exit 1

"$build/wine-run.sh" 'C:\windows\syswow64\regsvr32.exe' /s 'C:\Omniprobe\Omniprobe.ocx' \
    || { echo "FAIL regsvr32 answered $?"; exit 1; }
server=$("$build/wine-run.sh" 'C:\windows\system32\reg.exe' query \
    "HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve /reg:32)
echo "$server"
echo "$server" | grep -qi 'C:\\Omniprobe\\Omniprobe.ocx' || { echo "FAIL the class names another server"; exit 1; }
