// The repair members of the control: Modify, InstallOcx, InstallDll, InstallProgram and the
// re-diagnosis timer.
#include "control/omniprobe_ctrl.h"

namespace omni {

HRESULT COmniprobeCtrl::Modify(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::InstallOcx(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::InstallDll(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::InstallProgram(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
void COmniprobeCtrl::OnTimer(UINT_PTR) {}

}  // namespace omni
