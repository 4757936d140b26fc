#include "install/component_probe.h"

#include <objbase.h>

#include "hosting/control_host.h"
#include "machine/component_ids.h"
#include "machine/user_mode_ocx_register_util.h"
#include "platform/text.h"
#include "probes/addon_flags.h"

namespace omni {

namespace {
constexpr int kCreatableRows[] = {kMarklet2Row, kMarklet3OuterRow, kMarklet3InnerRow, kQuadrelRow, kQuadrelURow};
}  // namespace

int CreatableControlRow(const std::string& fileName) {
    for (int row : kCreatableRows)
        if (EqualsNoCase(fileName, kComponentIds[row].fileName)) return row;
    return -1;
}

bool CanCreateControl(const std::string& fileName) { return CanCreateControl(fileName, &CanCreateControlWindow); }

bool CanCreateControl(const std::string& fileName, ControlCreator create) {
    int row = CreatableControlRow(fileName);
    if (row < 0) return false;
    CLSID clsid;
    // IIDFromString never consults the registry, unlike CLSIDFromString.
    if (FAILED(IIDFromString(Widen(kComponentIds[row].clsid).c_str(), &clsid))) return false;
    try {
        return create(clsid);
    } catch (...) {
        return false;  // a control that throws while being created is not usable
    }
}

int IsAddonEnabled(const std::string& fileName) {
    std::string clsid = GetUserModeOcxRegisterUtil().GetClsidText(fileName);
    // Without an identifier the path would name the Settings key itself.
    if (clsid.empty()) return 1;
    return IsAddonDisabled(clsid) ? 0 : 1;
}

}  // namespace omni
