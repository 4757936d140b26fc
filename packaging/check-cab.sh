#!/bin/bash
# Checks Omniprobe.cab as the browser receives it. Usage: check-cab.sh <cab> <version a.b.c.d> [CA file]
# (without a CA file the signatures are verified against the system's roots).
cab="$1"; version="$2"; ca="$3"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL $*"; exit 1; }

listed=$(gcab -t "$cab" | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "Omniprobe.inf Omniprobe.ocx tarrow.exe " ] || fail "the CAB holds: $listed"
gcab -x -C "$out" "$cab" || fail "the CAB does not extract"
for f in "$cab" "$out/Omniprobe.ocx" "$out/tarrow.exe"; do
    osslsigncode verify ${ca:+-CAfile "$ca"} -in "$f" >"$out/verify.log" 2>&1 \
        || { cat "$out/verify.log"; fail "signature of $(basename "$f")"; }
    echo "signature verified: $(basename "$f")"
done
python3 "$(dirname "$0")/check_shipped_files.py" "$version" "$out"
