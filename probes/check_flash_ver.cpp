#include "probes/check_flash_ver.h"

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

CCheckFlashVer::~CCheckFlashVer() = default;

int CCheckFlashVer::FindFlashGeneration() {
    com_init com(COINIT_APARTMENTTHREADED);
    for (int generation = kHighestGeneration; generation >= 1; --generation) {
        std::wstring progId = Widen("ShockwaveFlash.ShockwaveFlash." + std::to_string(generation));
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid))) continue;
        // Only a class that really creates counts: a registration left behind by an uninstaller does not.
        com_ptr<IDispatch> control;
        if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, control.put_void()))) {
            return generation;
        }
    }
    return 0;
}

}  // namespace omni
