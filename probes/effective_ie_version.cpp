#include "probes/effective_ie_version.h"

#include "diagnosis/result_codes.h"

namespace omni {

Version ChooseEffectiveIEVersion(const Version& version, bool serviceVersionRead, const Version& serviceVersion) {
    if (version >= Version("9.10.0.0") && serviceVersionRead) return serviceVersion;
    return version;
}

int RetrieveEffectiveIEVersion(CVersionRetriever& retriever, Version& version) {
    Version found;
    int status = retriever.RetrieveIEVersion(found);
    if (status != kOk) return status;
    Version service;
    bool serviceRead = retriever.RetrieveIEServiceVersion(service) == kOk;
    version = ChooseEffectiveIEVersion(found, serviceRead, service);
    return kOk;
}

}  // namespace omni
