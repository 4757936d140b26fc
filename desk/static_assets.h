// The dashboard's files, compiled into the service (generated from static/ at build time).
#pragma once

#include <optional>
#include <string_view>

namespace omni::desk {

std::optional<std::string_view> StaticAsset(std::string_view name);

}  // namespace omni::desk
