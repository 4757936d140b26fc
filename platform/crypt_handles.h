// Owners for the CryptoAPI objects that the trust check and the file hashes hold.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "platform/unique_any.h"

namespace omni {

namespace detail {
inline void FreeCertContext(PCCERT_CONTEXT cert) { CertFreeCertificateContext(cert); }
inline void CloseCertStore(HCERTSTORE store) { CertCloseStore(store, 0); }
inline void ReleaseCryptProvider(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
inline void DestroyCryptHash(HCRYPTHASH hash) { CryptDestroyHash(hash); }
}  // namespace detail

using unique_cert_context = unique_any<PCCERT_CONTEXT, detail::FreeCertContext>;
using unique_cert_store = unique_any<HCERTSTORE, detail::CloseCertStore>;
using unique_crypt_provider = unique_any<HCRYPTPROV, detail::ReleaseCryptProvider>;
using unique_crypt_hash = unique_any<HCRYPTHASH, detail::DestroyCryptHash>;

}  // namespace omni
