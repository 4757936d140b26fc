#!/bin/sh
# Creates the 64-bit Wine prefix that tests and the run command use, or brings an older one up to date.
# Usage: make-prefix.sh <prefix> [<a made prefix>]: with a second prefix that is ready, the new one is a
# copy of it (registry files copied, drive C linked file by file) instead of a fresh wineboot, which
# costs some 20 s; nothing in the copy may then rewrite a file of drive C in place.
set -e
mkdir -p "$(dirname "$1")"  # Wine creates the prefix but not the folders above it
prefix="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"  # and wants an absolute path
export WINEPREFIX="$prefix" WINEARCH=win64
. "$(dirname "$0")/wine-env.sh"
# The rig's settings have a version; a prefix made with older ones gets the missing ones.
rig=2
[ -f "$prefix/.omni-ready" ] && made="$(cat "$prefix/.omni-ready")" || made=""
if [ ! -f "$prefix/.omni-ready" ] && [ -n "${2:-}" ] && [ "$(cat "$2/.omni-ready" 2>/dev/null)" = "$rig" ]; then
    rm -rf "$prefix" && mkdir -p "$prefix"
    cp -a "$2"/*.reg "$2"/.omni-ready "$2"/.update-timestamp "$2/dosdevices" "$prefix"/
    cp -al "$2/drive_c" "$prefix/drive_c"
    exit 0
fi
if [ ! -f "$prefix/.omni-ready" ]; then
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # A crashing test must fail, not wait for someone to close winedbg's dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Dialogs ask for Gulim in Korean; a stock prefix has no font with Hangul, so map it to Nanum.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Gulim /d NanumGothic /f >/dev/null 2>&1
    wineserver -w
    made=1
fi
if [ "${made:-1}" -lt 2 ]; then
    # The rig's X server has no window manager: Wine would wait up to 2 s for one whenever a window
    # is hidden (every dialog that closes). Unmanaged windows need none.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    echo "$rig" > "$prefix/.omni-ready"
fi
