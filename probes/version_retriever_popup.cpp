// The pop-up blocker and the toolbar list.
#include "core/result_codes.h"
#include "probes/popup_detector.h"
#include "probes/version_retriever.h"

namespace omni {

int CVersionRetriever::CheckPopupBlocker(int& on) {
    CPopupDetector detector;
    on = detector.GetPopupBlockerState() == 1 ? 1 : 0;
    return kOk;
}

int CVersionRetriever::TurnOffPopupBlocker() {
    return CPopupDetector().TurnOffPopupBlocker();
}

int CVersionRetriever::GetToolbarListText(std::string& text) {
    CPopupDetector detector;
    detector.EnumerateToolbars();
    text = FormatToolbarList(detector);
    return kOk;
}

}  // namespace omni
