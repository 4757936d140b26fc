#!/bin/sh
# Makes a Wine prefix trust the build's test PKI as a desk's PC trusts its makers: the test root CA in the
# machine's "Root" store, the other maker's certificate in its "TrustedPublisher" store. For the trust
# tests also a publisher whose root nothing trusts and one whose certificate its issuer revoked in the
# machine's "TrustedPublisher" store, and one in the current user's "TrustedPublisher" store only.
# Idempotent. Also keeps Wine from caching revocation results (see the end).
# Usage: trust-test-pki.sh <build folder> <prefix>
set -e
build="$(cd "$1" && pwd)"
pki="Z:$build/test-signing"
run() { OMNI_WINEPREFIX="$2" "$build/wine-run.sh" "$build/bin/trust_store.exe" add "$1" "$3"; }
run Root "$2" "$pki/test-root.cer"
run TrustedPublisher "$2" "$pki/other-maker.cer"
run TrustedPublisher "$2" "$pki/orphan-publisher.cer"
run TrustedPublisher "$2" "$pki/revoked.cer"
run user:TrustedPublisher "$2" "$pki/user-publisher.cer"
# Wine 8 keeps revocation results in the user's CryptnetUrlCache and reads a cached "revoked" back as
# good; Windows judges a cached list again at every check. A file where that folder would go keeps Wine
# from caching anything, so every check reads the list from its distribution point, as Windows decides.
cache="$2/drive_c/users/$(id -un)/AppData/LocalLow/Microsoft/CryptnetUrlCache"
[ -f "$cache" ] || { rm -rf "$cache" && mkdir -p "$(dirname "$cache")" && : >"$cache"; }
