// Whether code that the control is about to load, register or run comes from a publisher it trusts.
#pragma once

#include <string>

#include "machine/locked_file.h"
#include "platform/crypt_handles.h"

namespace omni {

class PublisherTrust {
public:
    // Trusts the signer of the module this code runs in (the control's own), and the machine's Trusted
    // Publishers. An unsigned module has no signer of its own: then only Trusted Publishers count.
    PublisherTrust();
    explicit PublisherTrust(const std::string& ownModulePath);

    // True when the file's Authenticode signature verifies, its chain ends in a trusted root under the
    // Authenticode policy, and its signer is the own signer or a Trusted Publisher, as a certificate,
    // never by name.
    bool Trusts(const LockedFile& file) const;

private:
    unique_cert_context ownSigner_;
};

// The certificate that signed the open file, once its signature and its chain have verified; none
// otherwise. Nothing is shown and nothing is fetched over the network.
unique_cert_context VerifiedSigner(const LockedFile& file);

// Opens path as a LockedFile and checks it: kOk with the file held, kFileMissing when it cannot be
// opened, kUntrustedPublisher when its publisher is not trusted.
int OpenTrustedFile(const std::string& path, LockedFile& file);

}  // namespace omni
