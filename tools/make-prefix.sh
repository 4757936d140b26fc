#!/bin/sh
# Creates the 64-bit Wine prefix that tests and the run command use.
set -e
prefix="$1"
export WINEPREFIX="$prefix" WINEARCH=win64
. "$(dirname "$0")/wine-env.sh"
if [ ! -f "$prefix/.omni-ready" ]; then
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"  # Wine creates the prefix but not the folders above it
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # A crashing test must fail, not wait for someone to close winedbg's dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Dialogs ask for Gulim in Korean; a stock prefix has no font with Hangul, so map it to Nanum.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Gulim /d NanumGothic /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.omni-ready"
fi
