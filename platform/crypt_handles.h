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
inline void FreeCertChain(PCCERT_CHAIN_CONTEXT chain) { CertFreeCertificateChain(chain); }
}  // namespace detail

using unique_cert_context = unique_any<PCCERT_CONTEXT, detail::FreeCertContext>;
using unique_cert_store = unique_any<HCERTSTORE, detail::CloseCertStore>;
using unique_crypt_provider = unique_any<HCRYPTPROV, detail::ReleaseCryptProvider>;
using unique_crypt_hash = unique_any<HCRYPTHASH, detail::DestroyCryptHash>;
using unique_cert_chain = unique_any<PCCERT_CHAIN_CONTEXT, detail::FreeCertChain>;

}  // namespace omni
