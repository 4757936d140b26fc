#!/bin/bash
# Lays out what the browser downloads: Omniprobe.ocx and tarrow.exe stripped and signed, and the INF,
# in one CAB signed last. Usage: make-cab.sh <ship folder> <Omniprobe.ocx> <tarrow.exe> <Omniprobe.inf>
#   <signing .pfx> [time-stamp URL]; the password of the .pfx, if any, lies beside it in <pfx>.password.
set -e
ship="$1"; ocx="$2"; tarrow="$3"; inf="$4"; pfx="$5"; timestamp="$6"
files="$ship/files"
rm -rf "$files" "$ship/Omniprobe.cab"
mkdir -p "$files"

signing=(-pkcs12 "$pfx" -h sha256 -n Omniprobe)
[ -f "$pfx.password" ] && signing+=(-readpass "$pfx.password")
[ -n "$timestamp" ] && signing+=(-ts "$timestamp")
sign() {
    osslsigncode sign "${signing[@]}" -in "$1" -out "$1.signed" >/dev/null
    mv "$1.signed" "$1"
}

# The build signs the control for the tests; the copy shipped is stripped first, then signed again.
osslsigncode remove-signature -in "$ocx" -out "$files/Omniprobe.ocx.unsigned" >/dev/null 2>&1 ||
    cp "$ocx" "$files/Omniprobe.ocx.unsigned"
i686-w64-mingw32-strip -o "$files/Omniprobe.ocx" "$files/Omniprobe.ocx.unsigned"
rm "$files/Omniprobe.ocx.unsigned"
x86_64-w64-mingw32-strip -o "$files/tarrow.exe" "$tarrow"
sign "$files/Omniprobe.ocx"
sign "$files/tarrow.exe"
cp "$inf" "$files/Omniprobe.inf"
# MSZIP, flat names: the browser extracts into one folder.
gcab -c -z -n "$ship/Omniprobe.cab.part" "$files/Omniprobe.ocx" "$files/tarrow.exe" "$files/Omniprobe.inf"
sign "$ship/Omniprobe.cab.part"
mv "$ship/Omniprobe.cab.part" "$ship/Omniprobe.cab"
stat -c "%s bytes  %n" "$files"/* "$ship/Omniprobe.cab"
