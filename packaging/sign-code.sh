#!/bin/bash
# Signs files in place with Authenticode (SHA-256), replacing any signature they carry.
# Usage: sign-code.sh <.pfx> <file>...; the password of the .pfx, if any, lies beside it in <pfx>.password.
set -e
pfx="$1"
shift
signing=(-pkcs12 "$pfx" -h sha256)
[ -f "$pfx.password" ] && signing+=(-readpass "$pfx.password")
for f in "$@"; do
    rm -f "$f.unsigned" "$f.signed"  # osslsigncode writes no file over an existing one
    osslsigncode remove-signature -in "$f" -out "$f.unsigned" >/dev/null 2>&1 || cp "$f" "$f.unsigned"
    osslsigncode sign "${signing[@]}" -in "$f.unsigned" -out "$f.signed" >/dev/null
    rm -f "$f.unsigned"
    mv "$f.signed" "$f"
done
