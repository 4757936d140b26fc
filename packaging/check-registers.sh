#!/bin/bash
# Registers Omniprobe.ocx as it comes out of the CAB (stripped, signed) in a throwaway copy of the
# tests' prefix, then checks that its class names that file. Usage: check-registers.sh <build> <cab>
build="$(cd "$1" && pwd)"; cab="$2"
clsid="{4814A6CB-9A5D-4F66-99F5-79413040054B}"
prefix="$build/throwaway-prefix-$$"
. "$(dirname "$0")/../tools/exit-cleanup.sh"
. "$(dirname "$0")/../tools/throwaway-prefix.sh"
enter_throwaway_prefix "$build/wineprefix-template" "$prefix" || exit 1
mkdir -p "$prefix/drive_c/Omniprobe"
gcab -x -C "$prefix/drive_c/Omniprobe" "$cab" || exit 1

"$build/wine-run.sh" 'C:\windows\syswow64\regsvr32.exe' /s 'C:\Omniprobe\Omniprobe.ocx' \
    || { echo "FAIL regsvr32 answered $?"; exit 1; }
server=$("$build/wine-run.sh" 'C:\windows\system32\reg.exe' query \
    "HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve /reg:32)
echo "$server"
echo "$server" | grep -qi 'C:\\Omniprobe\\Omniprobe.ocx' || { echo "FAIL the class names another server"; exit 1; }
