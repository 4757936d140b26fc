#include "diagnosis/total_info_state.h"

#include "platform/text.h"

namespace omni {

const Version& MinimumIeVersion() {
    static const Version version("6.0.0.0");
    return version;
}

const Version& MinimumWmpVersion() {
    static const Version version("7.0.0.0");
    return version;
}

const Version& Ie7Version() {
    static const Version version("7.0.0.0");
    return version;
}

const Version& Ie9Version() {
    static const Version version("9.0.0.0");
    return version;
}

const Version& Ie10Version() {
    static const Version version("9.10.0.0");
    return version;
}

const Version& MinimumFlashVersion() {
    static const Version version("7.0.0.0");
    return version;
}

bool SupportsAddonManager(const TotalInfoState& state) {
    constexpr int kXpHome = 17;
    constexpr int kXpProfessional = 18;
    if (state.osCode > kXpProfessional) return true;
    if (state.osCode != kXpHome && state.osCode != kXpProfessional) return false;
    return !state.servicePackText.empty() && !EqualsNoCase(state.servicePackText, "Service Pack 1");
}

}  // namespace omni
