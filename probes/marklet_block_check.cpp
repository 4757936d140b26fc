#include "probes/marklet_block_check.h"

#include "machine/component_ids.h"
#include "probes/addon_flags.h"

namespace omni {

namespace {
GUID ClsidOfRow(int row) {
    GUID id{};
    ParseAddonId(kComponentIds[row].clsid, id);
    return id;
}
}  // namespace

// Not the row order of the component table.
CMarkletBlockCheck::CMarkletBlockCheck() {
    SetIdentifiers({ClsidOfRow(kMarklet2Row), ClsidOfRow(kMarklet3InnerRow), ClsidOfRow(kMarklet3OuterRow)});
}

}  // namespace omni
