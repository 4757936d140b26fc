#!/bin/bash
# The same files under each kind of signature the trust check must tell apart, for the tests:
#   <out>/maker/      signed with the maker's certificate (the control's own signer)
#   <out>/publisher/  signed with the other maker's certificate (a Trusted Publisher of the prefixes)
#   <out>/unsigned/   no signature
#   <out>/tampered/   the maker's signature, then one byte of the DOS stub changed (covered by the hash)
#   <out>/samename/   signed with a certificate of the maker's name on another key
#   <out>/untrusted/  signed with a certificate whose root nothing trusts
#   <out>/orphanpublisher/  signed with a Trusted Publisher of the machine whose root nothing trusts
#   <out>/userpublisher/    signed with a certificate in the current user's Trusted Publishers only
#   <out>/padded/     the maker's signature, then text appended inside the certificate table after it
#   <out>/revoked/    signed with a certificate that its issuer revoked
# Usage: make-signature-variants.sh <test PKI folder> <out folder> <file>...
set -e
pki="$1" out="$2"
shift 2
here="$(dirname "$0")"
for v in maker publisher unsigned tampered samename untrusted orphanpublisher userpublisher padded revoked; do
    mkdir -p "$out/$v"
done
for f in "$@"; do
    name=$(basename "$f")
    rm -f "$out"/*/"$name"  # osslsigncode writes no file over an existing one
    osslsigncode remove-signature -in "$f" -out "$out/unsigned/$name" >/dev/null 2>&1 || cp "$f" "$out/unsigned/$name"
    for pair in maker:test-signing publisher:other-maker samename:same-name untrusted:untrusted \
                tampered:test-signing orphanpublisher:orphan-publisher userpublisher:user-publisher \
                padded:test-signing revoked:revoked; do
        cp "$out/unsigned/$name" "$out/${pair%%:*}/$name"
        bash "$here/sign-code.sh" "$pki/${pair#*:}.pfx" "$out/${pair%%:*}/$name"
    done
    # "This program cannot be run in DOS mode." starts at 0x4E: its first letter becomes lower case.
    printf 't' | dd of="$out/tampered/$name" bs=1 seek=$((0x4E)) conv=notrunc status=none
    python3 "$here/pad-certificate-table.py" "$out/padded/$name" "Run anything: the signature does not cover this."
done
