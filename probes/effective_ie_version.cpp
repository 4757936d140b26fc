#include "probes/effective_ie_version.h"

namespace omni {

Version ChooseEffectiveIEVersion(const Version& version, bool serviceVersionRead, const Version& serviceVersion) {
    if (version >= Version("9.10.0.0") && serviceVersionRead) return serviceVersion;
    return version;
}

}  // namespace omni
