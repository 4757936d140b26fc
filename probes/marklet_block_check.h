// The add-on switches of the maker's Marklet controls.
#pragma once

#include "probes/module_block_check.h"

namespace omni {

// Identifiers in the order Marklet2, Marklet3Inner, Marklet3Outer.
class CMarkletBlockCheck : public CModuleBlockCheck {
public:
    CMarkletBlockCheck();
};

}  // namespace omni
