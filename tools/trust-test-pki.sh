#!/bin/sh
# Makes a Wine prefix trust the build's test PKI as a desk's PC trusts its makers: the test root CA in the
# machine's "Root" store, the other maker's certificate in its "TrustedPublisher" store. Idempotent.
# Usage: trust-test-pki.sh <build folder> <prefix>
set -e
build="$(cd "$1" && pwd)"
pki="Z:$build/test-signing"
run() { OMNI_WINEPREFIX="$2" "$build/wine-run.sh" "$build/bin/trust_store.exe" add "$1" "$3"; }
run Root "$2" "$pki/test-root.cer"
run TrustedPublisher "$2" "$pki/other-maker.cer"
