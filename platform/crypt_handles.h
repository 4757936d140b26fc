// Owners for the CryptoAPI objects that the trust check holds.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "platform/unique_any.h"

namespace omni {

namespace detail {
inline void FreeCertContext(PCCERT_CONTEXT cert) { CertFreeCertificateContext(cert); }
inline void CloseCertStore(HCERTSTORE store) { CertCloseStore(store, 0); }
inline void FreeCertChain(PCCERT_CHAIN_CONTEXT chain) { CertFreeCertificateChain(chain); }
}  // namespace detail

using unique_cert_context = unique_any<PCCERT_CONTEXT, detail::FreeCertContext>;
using unique_cert_store = unique_any<HCERTSTORE, detail::CloseCertStore>;
using unique_cert_chain = unique_any<PCCERT_CHAIN_CONTEXT, detail::FreeCertChain>;

}  // namespace omni
