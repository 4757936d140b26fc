#include "machine/publisher_trust.h"

#include <softpub.h>
#include <wintrust.h>

#include <cstring>

#include "core/result_codes.h"
#include "machine/signature_layout.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr wchar_t kTrustedPublisherStore[] = L"TrustedPublisher";

// WinVerifyTrust keeps its verdict, signer and chain in state that must be closed by a second call.
class TrustVerdict {
public:
    explicit TrustVerdict(const LockedFile& file) : path_(Widen(file.path())) {
        info_.cbStruct = sizeof(info_);
        info_.pcwszFilePath = path_.c_str();
        info_.hFile = file.handle();  // the held bytes, not whatever the path names by now
        data_.cbStruct = sizeof(data_);
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &info_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        status_ = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    ~TrustVerdict() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    TrustVerdict(const TrustVerdict&) = delete;
    TrustVerdict& operator=(const TrustVerdict&) = delete;

    // The first signer, when the signature verified; owned by the verdict.
    CRYPT_PROVIDER_SGNR* Signer() const {
        if (status_ != ERROR_SUCCESS) return nullptr;
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data_.hWVTStateData);
        return provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    }

private:
    std::wstring path_;
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO info_ = {};
    WINTRUST_DATA data_ = {};
    LONG status_ = TRUST_E_NOSIGNATURE;
};

// WinVerifyTrust may accept a chain whose root is not trusted (Wine does); the Authenticode policy does not.
bool ChainPasses(PCCERT_CHAIN_CONTEXT chain) {
    if (!chain) return false;
    CERT_CHAIN_POLICY_PARA para = {};
    para.cbSize = sizeof(para);
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain, &para, &status) &&
           status.dwError == ERROR_SUCCESS;
}

// The same certificate byte for byte: a name, a serial number or an issuer can be copied, the whole
// signed certificate cannot.
bool SameCertificate(PCCERT_CONTEXT a, PCCERT_CONTEXT b) {
    return a && b && a->cbCertEncoded == b->cbCertEncoded &&
           std::memcmp(a->pbCertEncoded, b->pbCertEncoded, a->cbCertEncoded) == 0;
}

// The chain built again with revocation checked for every certificate, fetching lists for at most
// kRevocationLookupMs in all. Only a certificate known to be revoked fails: a status that cannot be learnt
// (no list reachable in time, a certificate without a distribution point) passes, as in the browser's own
// code download, since the signer must still chain to a trusted root and be a trusted publisher.
bool NoneRevoked(PCCERT_CONTEXT leaf) {
    // CERT_CHAIN_PARA with its time limit; the system's headers declare that part only on request.
    struct ChainParaWithTimeout {
        CERT_CHAIN_PARA basic;
        CERT_USAGE_MATCH requestedIssuancePolicy;
        DWORD urlRetrievalTimeout;
    } para = {};
    para.basic.cbSize = sizeof(para);
    para.urlRetrievalTimeout = kRevocationLookupMs;
    unique_cert_chain chain;
    if (!CertGetCertificateChain(nullptr, leaf, nullptr, leaf->hCertStore, &para.basic,
                                 CERT_CHAIN_REVOCATION_CHECK_CHAIN | CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT |
                                     CERT_CHAIN_DISABLE_AUTH_ROOT_AUTO_UPDATE,
                                 nullptr, chain.addressof()))
        return false;
    return (chain.get()->TrustStatus.dwErrorStatus & CERT_TRUST_IS_REVOKED) == 0;
}

bool InTrustedPublishers(PCCERT_CONTEXT signer) {
    unique_cert_store store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                          CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG |
                                              CERT_STORE_OPEN_EXISTING_FLAG,
                                          kTrustedPublisherStore));
    if (!store) return false;
    // The machine's store only: what a user (or any program of the user) puts into the user's own store
    // must not make a page's file trusted. The enumeration frees each context as it hands out the next.
    for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store.get(), nullptr); cert;
         cert = CertEnumCertificatesInStore(store.get(), cert)) {
        if (SameCertificate(cert, signer)) {
            CertFreeCertificateContext(cert);
            return true;
        }
    }
    return false;
}

// The module's own file, held from process attach (or from the first check) to process detach.
LockedFile& OwnModuleFile() {
    static LockedFile file;
    return file;
}

}  // namespace

void HoldOwnModuleFile(HMODULE module) { OwnModuleFile() = LockedFile::OpenRenamable(ModulePath(module)); }

unique_cert_context VerifiedSigner(const LockedFile& file) {
    if (!file.ok()) return unique_cert_context();
    TrustVerdict verdict(file);
    CRYPT_PROVIDER_SGNR* signer = verdict.Signer();
    if (!signer || !ChainPasses(signer->pChainContext)) return unique_cert_context();
    CRYPT_PROVIDER_CERT* leaf = WTHelperGetProvCertFromChain(signer, 0);
    if (!leaf || !leaf->pCert || !NothingBesideTheSignature(file) || !NoneRevoked(leaf->pCert))
        return unique_cert_context();
    return unique_cert_context(CertDuplicateCertificateContext(leaf->pCert));
}

PublisherTrust::PublisherTrust() {
    // Read once: a later InstallOcx("Omniprobe.ocx") puts another file at the module's path, which must not
    // become the anchor.
    static const unique_cert_context ownSigner = [] {
        if (!OwnModuleFile().ok()) HoldOwnModuleFile(CurrentModule());
        return VerifiedSigner(OwnModuleFile());
    }();
    if (ownSigner) ownSigner_.reset(CertDuplicateCertificateContext(ownSigner.get()));
}

PublisherTrust::PublisherTrust(const LockedFile& ownFile) : ownSigner_(VerifiedSigner(ownFile)) {}

bool PublisherTrust::Trusts(const LockedFile& file) const {
    unique_cert_context signer = VerifiedSigner(file);
    if (!signer) return false;
    return SameCertificate(signer.get(), ownSigner_.get()) || InTrustedPublishers(signer.get());
}

int OpenTrustedFile(const std::string& path, LockedFile& file) {
    file = LockedFile::Open(path);
    if (!file.ok()) return kFileMissing;
    if (PublisherTrust().Trusts(file)) return kOk;
    file.Release();
    return kUntrustedPublisher;
}

}  // namespace omni
