// The add-on switch of the Shockwave Flash control.
#pragma once

#include "probes/module_block_check.h"

namespace omni {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
inline constexpr GUID kShockwaveFlashClsid = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

class CFlashPlayerBlockCheck : public CModuleBlockCheck {
public:
    CFlashPlayerBlockCheck();
};

}  // namespace omni
