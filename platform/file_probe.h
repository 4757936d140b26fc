// Whether a path names an existing file (not a folder); UTF-8 path.
#pragma once

#include <string>

namespace omni {

bool IsFile(const std::string& path);

}  // namespace omni
