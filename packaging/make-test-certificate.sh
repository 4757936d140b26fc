#!/bin/bash
# Makes the build's test code-signing identity, once: a self-signed certificate (also the CA file
# that verifies it) and a .pfx with its password beside it, laid out as a maker's release .pfx is.
# Usage: make-test-certificate.sh <folder>
set -e
dir="$1"
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:3072 -nodes -sha256 -days 3650 -keyout test-signing.key -out test-signing.pem \
    -subj "/CN=Omniprobe test signing/O=Talvek" -addext "basicConstraints=critical,CA:FALSE" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl rand -hex 16 > test-signing.pfx.password
openssl pkcs12 -export -inkey test-signing.key -in test-signing.pem -name "Omniprobe test signing" \
    -passout file:test-signing.pfx.password -out test-signing.pfx
rm -f test-signing.key
