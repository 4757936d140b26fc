// Whether code that the control is about to load, register or run comes from a publisher it trusts.
#pragma once

#include <windows.h>

#include <string>

#include "machine/locked_file.h"
#include "platform/crypt_handles.h"

namespace omni {

class PublisherTrust {
public:
    // Trusts the signer of the module this code runs in (the control's own, read once from the file the
    // module was loaded from: see HoldOwnModuleFile), and the machine's Trusted Publishers. An unsigned
    // module has no signer of its own: then only Trusted Publishers count.
    PublisherTrust();
    // The same with the signer of ownFile as the own signer.
    explicit PublisherTrust(const LockedFile& ownFile);

    // True when the file's Authenticode signature verifies, its chain ends in a trusted root under the
    // Authenticode policy and no certificate of it is revoked, nothing lies beside the signature, and its
    // signer is the own signer or a Trusted Publisher of the machine, as a certificate, never by name.
    bool Trusts(const LockedFile& file) const;

private:
    unique_cert_context ownSigner_;
};

// Called when the module loads (process attach; it only opens a file): holds the module's own file, which
// may then be renamed, as InstallOcx moves a loaded control aside, but not written, so that the own signer
// is always the loaded file's. Where it was not called, the module's file is held from the first check.
void HoldOwnModuleFile(HMODULE module);

// At most this long, for the whole chain, is spent fetching revocation lists over the network per check.
inline constexpr DWORD kRevocationLookupMs = 5000;

// The certificate that signed the open file, once its signature and its chain have verified, none of the
// chain's certificates is known to be revoked, and nothing lies beside the signature; none otherwise.
// Nothing is shown; only revocation lists are fetched, within kRevocationLookupMs.
unique_cert_context VerifiedSigner(const LockedFile& file);

// Opens path as a LockedFile and checks it: kOk with the file held, kFileMissing when it cannot be
// opened, kUntrustedPublisher when its publisher is not trusted.
int OpenTrustedFile(const std::string& path, LockedFile& file);

}  // namespace omni
