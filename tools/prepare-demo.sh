#!/bin/sh
# Lays out the PC that the run command diagnoses, in a Wine prefix of its own (build/demo/wineprefix),
# so the tests' prefix is never changed by it:
# - build/demo/ holds the control Omniprobe.ocx (registered machine-wide), the page container and the
#   console host with tarrow.exe and the test reg.exe beside them, and the local-mode folders "Z4OCX\",
#   "Z3OCX\" and "DLL\" with their list files;
# - build/demo/content/, the web-mode server's content: the same folders with the four list files and
#   the current components;
# - the maker's controls (stand-ins) installed into the system folder and registered machine-wide, as
#   an administrator's installation leaves them: Marklet2, Marklet3Outer and Marklet3Inner current,
#   Quadrel one version behind the list, QuadrelU listed but never installed;
# - two support DLLs, one of them without version information, and one listed but absent;
# - the test PKI trusted as a desk's PC trusts its makers: the test root CA in the machine's Root store and
#   the other maker's certificate in its Trusted Publishers store (every component, DLL and installer here is
#   signed by the maker or the other maker);
# - Media Player's "Installation Directory" value, which Windows has and a stock Wine prefix lacks;
# - the Flash stand-in registered as generation 10 of "ShockwaveFlash.ShockwaveFlash".
# Usage: prepare-demo.sh <build folder> [layout|control]: only the layout, or only the control's
# registration (the run command shows them as two steps); both without a second argument.
set -e
build="$(cd "$1" && pwd)"  # Wine wants an absolute prefix path
part="${2:-all}"
root="$(cd "$(dirname "$0")/.." && pwd)"
demo="$build/demo"
export WINEPREFIX="$demo/wineprefix"
sh "$root/tools/make-prefix.sh" "$WINEPREFIX" "$build/wineprefix"  # a copy of the tests' prefix, when it is made
sh "$root/tools/trust-test-pki.sh" "$build" "$WINEPREFIX"  # the test root and the other maker, as a desk trusts them
. "$root/tools/wine-env.sh"
reg() { /usr/lib/wine/wine64 reg "$@" /reg:32 >/dev/null; }

lay_out() {
    mkdir -p "$demo/Z4OCX" "$demo/Z3OCX" "$demo/DLL"
    for f in Omniprobe.ocx omniprobe_page.exe omniprobe_host.exe diagnosis_benchmark.exe tarrow.exe reg.exe; do
        [ -f "$build/bin/$f" ] && cp "$build/bin/$f" "$demo/"
    done

    # List files: pairs of file name and required version, each line ending in a line break.
    printf 'Marklet2.ocx 1.0.0.5\r\nQuadrel.ocx 1.0.0.5\r\nQuadrelU.ocx 1.0.0.5\r\n' >"$demo/Z4OCX/ocxlistz4.txt"
    printf 'Marklet3Outer.ocx 1.0.0.5\r\nMarklet3Inner.ocx 1.0.0.5\r\n' >"$demo/Z3OCX/ocxlistz3.txt"
    printf 'OrvaneCodec.dll 6.0.2900.5512\r\nOrvaneText.dll 1.0.0.1\r\nOrvaneNet.dll 1.0.0.0\r\n' >"$demo/DLL/dlllist2000.txt"

    # The web-mode server: the same lists (and the one for Windows 98), and the components they name.
    content="$demo/content"
    mkdir -p "$content/Z4OCX" "$content/Z3OCX" "$content/DLL" "$content/Installer"
    cp "$demo/Z4OCX/ocxlistz4.txt" "$build/bin/standin/Marklet2.ocx" "$build/bin/standin/Quadrel.ocx" \
       "$build/bin/standin/QuadrelU.ocx" "$content/Z4OCX/"
    cp "$demo/Z3OCX/ocxlistz3.txt" "$build/bin/standin/Marklet3Outer.ocx" "$build/bin/standin/Marklet3Inner.ocx" \
       "$content/Z3OCX/"
    cp "$demo/DLL/dlllist2000.txt" "$content/DLL/"
    cp "$demo/DLL/dlllist2000.txt" "$content/DLL/dlllist98.txt"
    cp "$build/bin/ver_6_0_2900_5512.dll" "$content/DLL/OrvaneCodec.dll"
    cp "$build/bin/noversion.dll" "$content/DLL/OrvaneText.dll"
    cp "$build/bin/noversion.dll" "$content/DLL/OrvaneNet.dll"

    # The 32-bit system folder, where an administrator's installation puts the components.
    sys="$WINEPREFIX/drive_c/windows/syswow64"
    cp "$build/bin/standin/Marklet2.ocx" "$build/bin/standin/Marklet3Outer.ocx" \
       "$build/bin/standin/Marklet3Inner.ocx" "$build/bin/standin_old/Quadrel.ocx" "$sys/"
    cp "$build/bin/ver_6_0_2900_5512.dll" "$sys/OrvaneCodec.dll"
    cp "$build/bin/noversion.dll" "$sys/OrvaneText.dll"
    rm -f "$sys/QuadrelU.ocx" "$sys/OrvaneNet.dll"
    for ocx in Marklet2 Marklet3Outer Marklet3Inner Quadrel; do
        /usr/lib/wine/wine 'C:\windows\syswow64\regsvr32.exe' /s "C:\\windows\\syswow64\\$ocx.ocx"
    done

    # The browser renders with the graphics card until a repair (run.sh --repair-setting) switches that.
    reg delete 'HKCU\Software\Microsoft\Internet Explorer\Main' /v UseSWRender /f 2>/dev/null || true

    reg add 'HKLM\Software\Microsoft\MediaPlayer' /v 'Installation Directory' /t REG_EXPAND_SZ \
        /d '%ProgramFiles%\Windows Media Player' /f

    flash='{6F1E2A40-3C5B-4D7E-9A81-0B2C4D6E8F0A}'
    mkdir -p "$sys/Macromed/Flash"
    cp "$build/bin/flash_standin.dll" "$sys/Macromed/Flash/Flash10.ocx"
    reg add 'HKCR\ShockwaveFlash.ShockwaveFlash.10\CLSID' /ve /d "$flash" /f
    reg add "HKCR\\CLSID\\$flash\\InprocServer32" /ve /d 'C:\windows\syswow64\Macromed\Flash\Flash10.ocx' /f
    reg add "HKCR\\CLSID\\$flash\\InprocServer32" /v ThreadingModel /d Apartment /f
}

# The control, registered by the 32-bit regsvr32 as its installation does.
register_control() {
    [ -f "$demo/Omniprobe.ocx" ] || return 0
    /usr/lib/wine/wine 'C:\windows\syswow64\regsvr32.exe' /s "Z:$(printf '%s' "$demo/Omniprobe.ocx" | tr / '\\')"
}

# Plain statements, not "||" lists: set -e must hold inside the functions.
if [ "$part" != control ]; then lay_out; fi
if [ "$part" != layout ]; then register_control; fi
wineserver -w
