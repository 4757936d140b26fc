// The members around the report: save, mail, post, sample content, the toolbar and add-on lists.
#include "control/omniprobe_ctrl.h"

namespace omni {

HRESULT COmniprobeCtrl::SaveTo(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::MailTo(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::SendInformation(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::ShowSampleContent(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::ShowIeToolbarList(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }
HRESULT COmniprobeCtrl::GetDisabledIeAddins(WORD, const fw::DispatchArgs&, VARIANT*) { return E_NOTIMPL; }

}  // namespace omni
