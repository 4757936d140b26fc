#!/bin/bash
# Makes the build's test signing identities, once, laid out as a maker's release .pfx is (each .pfx with
# its password in <name>.pfx.password beside it, and its certificate as .pem and DER .cer):
#   test-root          the test root CA; only the tests' and the demo's prefixes trust it (their Root store)
#   test-signing       the maker's code-signing certificate, issued by the test root: signs Omniprobe.ocx
#                      and the maker's components
#   other-maker        another maker's certificate (the vendor installers), issued by the test root; the
#                      prefixes hold it in their Trusted Publishers store
#   same-name          the maker's name on another key, issued by the test root: must never pass as the maker
#   untrusted-root     a root that nothing trusts, and untrusted, a code-signing certificate it issued
#   orphan-publisher   issued by the untrusted root; the prefixes hold it in their machine "TrustedPublisher"
#                      store, but its chain ends nowhere trusted
#   user-publisher     issued by the test root; the prefixes hold it in the current user's "TrustedPublisher"
#                      store only, where the control must not look
#   revoked            issued by the test root, which revoked it: test-root.crl lists it, and the certificate
#                      names that file as its CRL distribution point (a file: URL of the prefixes' drive Z:);
#                      the prefixes hold it in their machine "TrustedPublisher" store, as a vendor's key that
#                      was stolen after an administrator trusted it
# Usage: make-test-pki.sh <folder>
set -e
dir="$1"
mkdir -p "$dir"
cd "$dir"
conf=$(mktemp)
trap 'rm -f "$conf" ./*.key ./*.csr ./*.srl ./index.txt*' EXIT
# Where the prefixes find the revocation list: Wine's drive Z: is the machine's root.
crl_url="file:///Z:$(pwd | sed 's/ /%20/g')/test-root.crl"
cat >"$conf" <<CONF
[req]
distinguished_name = dn
[dn]
[ca]
database = index.txt
default_md = sha256
default_crl_days = 3650
[crl]
authorityKeyIdentifier = keyid
[revocable]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
crlDistributionPoints = URI:$crl_url
[root]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CONF

root() {  # <name> <subject>
    openssl req -x509 -newkey rsa:3072 -nodes -sha256 -days 3650 -keyout "$1.key" -out "$1.pem" -subj "$2" \
        -config "$conf" -extensions root 2>/dev/null
    openssl x509 -in "$1.pem" -outform der -out "$1.cer"
}
signer() {  # <name> <subject> <issuer> [extensions]
    openssl req -newkey rsa:3072 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" -config "$conf" 2>/dev/null
    openssl x509 -req -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" -CAcreateserial -days 3650 -sha256 \
        -extfile "$conf" -extensions "${4:-signer}" -out "$1.pem" 2>/dev/null
    openssl x509 -in "$1.pem" -outform der -out "$1.cer"
    openssl rand -hex 16 >"$1.pfx.password"
    # The issuer goes into the .pfx, so every signature carries its whole chain.
    openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -certfile "$3.pem" -name "$1" \
        -passout "file:$1.pfx.password" -out "$1.pfx"
}

root test-root "/CN=Omniprobe test root CA/O=Talvek"
signer test-signing "/CN=Omniprobe test signing/O=Talvek" test-root
signer other-maker "/CN=Other maker test signing/O=Other Maker" test-root
signer same-name "/CN=Omniprobe test signing/O=Talvek" test-root
root untrusted-root "/CN=Untrusted test root CA/O=Nobody"
signer untrusted "/CN=Untrusted test signing/O=Nobody" untrusted-root
signer orphan-publisher "/CN=Orphan publisher test signing/O=Nobody" untrusted-root
signer user-publisher "/CN=User publisher test signing/O=Someone" test-root
signer revoked "/CN=Revoked test signing/O=Talvek" test-root revocable
: >index.txt
openssl ca -config "$conf" -name ca -keyfile test-root.key -cert test-root.pem -revoke revoked.pem 2>/dev/null
openssl ca -config "$conf" -name ca -keyfile test-root.key -cert test-root.pem -gencrl -crlexts crl \
    -out test-root.crl.pem 2>/dev/null
openssl crl -in test-root.crl.pem -outform der -out test-root.crl
rm -f test-root.crl.pem
