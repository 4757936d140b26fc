#include "control/information_box.h"

#include <windows.h>

#include "core/message_catalog.h"
#include "platform/text.h"

namespace omni {

namespace {
constexpr UINT kToolCaptionText = 258;
}  // namespace

void ShowInformationBox(const std::string& text) {
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(LoadMessage(kToolCaptionText)).c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace omni
