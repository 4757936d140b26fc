// Finds the highest Flash Player control generation that can actually be created.
#pragma once

namespace omni {

class CCheckFlashVer {
public:
    static constexpr int kHighestGeneration = 15;

    virtual ~CCheckFlashVer();

    // Tries "ShockwaveFlash.ShockwaveFlash.N" for N = 15 down to 1 and answers the first N whose
    // class creates with IDispatch; 0 when none does. Initialises COM for the call itself.
    int FindFlashGeneration();
};

}  // namespace omni
