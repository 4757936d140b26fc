// Flash Player's security setting, through the settings file.
#include "core/result_codes.h"
#include "probes/flash_security_setup.h"
#include "probes/version_retriever.h"

namespace omni {

int CVersionRetriever::CheckFlashSecurity(int& setting) {
    CFlashSecuritySetup setup;
    setting = setup.ReadSetting();
    return kOk;
}

int CVersionRetriever::RepairFlashSecurity() {
    CFlashSecuritySetup setup;
    return setup.WriteSetting(kFlashAlwaysAllow) == 1 ? kOk : kFlashSettingsFailed;
}

}  // namespace omni
