// The control's information box: no owner window, the tool's caption, the information icon.
#pragma once

#include <string>

namespace omni {

void ShowInformationBox(const std::string& text);

}  // namespace omni
