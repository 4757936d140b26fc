#!/bin/sh
# Makes the project's Wine prefix look like a real PC for the run command:
# - Media Player's "Installation Directory" value, which Windows has and a stock Wine prefix lacks;
# - the Flash stand-in registered as generation 10 of "ShockwaveFlash.ShockwaveFlash".
# Writes into the 32-bit view, which the 32-bit host reads.
set -e
build="$1"
root="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="$build/wineprefix"
. "$root/tools/wine-env.sh"
reg() { /usr/lib/wine/wine64 reg "$@" /reg:32 >/dev/null; }

bin=$(/usr/lib/wine/wine64 winepath -w "$build/bin" 2>/dev/null)
flash='{6F1E2A40-3C5B-4D7E-9A81-0B2C4D6E8F0A}'

reg add 'HKLM\Software\Microsoft\MediaPlayer' /v 'Installation Directory' /t REG_EXPAND_SZ \
    /d '%ProgramFiles%\Windows Media Player' /f
reg add 'HKCR\ShockwaveFlash.ShockwaveFlash.10\CLSID' /ve /d "$flash" /f
reg add "HKCR\\CLSID\\$flash\\InprocServer32" /ve /d "$bin\\flash_standin.dll" /f
reg add "HKCR\\CLSID\\$flash\\InprocServer32" /v ThreadingModel /d Apartment /f
