#include "control/repair_consent.h"

#include "control/repair_flow.h"
#include "core/message_catalog.h"
#include "core/result_codes.h"
#include "diagnosis/settings_keys.h"
#include "machine/component_ids.h"
#include "platform/text.h"
#include "probes/flash_settings_bytes.h"
#include "probes/version_retriever.h"

namespace omni {

namespace {

constexpr unsigned kChangeInstallText = 323;
constexpr unsigned kChangeRunInstallerText = 324;
constexpr unsigned kChangeEnableAddonText = 331;
constexpr unsigned kChangeRunMsorunInstallerText = 342;

// The keys whose change weakens the browser's or Flash's security, with the change that the question
// names. alreadySo tells a setting that is already as the key sets it; null: it cannot be told.
struct WeakeningKey {
    const char* key;
    unsigned changeText;
    bool (*alreadySo)(CVersionRetriever& probes);
};

const WeakeningKey kWeakeningKeys[] = {
    {kKeyFlashSecure, 327,
     [](CVersionRetriever& p) {
         int setting = 0;
         return p.CheckFlashSecurity(setting) == kOk && setting == kFlashAlwaysAllow;
     }},
    {kKeyIeFlash, 328,
     [](CVersionRetriever& p) {
         int blocked = 1;
         return p.CheckFlashBlocked(blocked) == kOk && blocked == 0;
     }},
    {kKeyIeMarklet, 329,
     [](CVersionRetriever& p) {
         int blocked = 1;
         return p.CheckMarkletBlocked(blocked) == kOk && blocked == 0;
     }},
    {kKeyIePopup, 325,
     [](CVersionRetriever& p) {
         int on = 1;
         return p.CheckPopupBlocker(on) == kOk && on == 0;
     }},
    {kKeyStatusBarScript, 326,
     [](CVersionRetriever& p) {
         int allowed = 0;
         return p.CheckStatusBarScript(allowed) == kOk && allowed == 1;
     }},
    {kKeyPreapproveMsorun, 330, nullptr},
};

std::string Change(unsigned textId, const std::string& name) {
    return Format(LoadMessage(textId).c_str(), name.c_str());
}

}  // namespace

std::string InstallChange(const std::string& fileName) { return Change(kChangeInstallText, fileName); }

std::string RunInstallerChange(const std::string& setupName) { return Change(kChangeRunInstallerText, setupName); }

std::string RunMsorunInstallerChange(const std::string& setupName) {
    return Change(kChangeRunMsorunInstallerText, setupName);
}

std::string EnableAddonChange(const std::string& fileName) { return Change(kChangeEnableAddonText, fileName); }

int ConsentToModify(const std::string& key, RepairUi& ui) {
    if (EqualsNoCase(key, kKeySpMarklet)) return ui.Consent(InstallChange(kComponentIds[kMarklet3OuterRow].fileName));
    for (const WeakeningKey& weakening : kWeakeningKeys) {
        if (!EqualsNoCase(key, weakening.key)) continue;
        CVersionRetriever probes;
        if (weakening.alreadySo && weakening.alreadySo(probes)) return kOk;  // nothing will change
        return ui.Consent(LoadMessage(weakening.changeText));
    }
    return kOk;
}

}  // namespace omni
