// `omniprobe-desk user add|remove|list|password [NAME] [--db FILE|URL]`: the staff accounts, kept in the
// service's database. A password is read from the terminal (twice, not shown) or as one line from
// standard input.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace omni::desk {

// args without the program name and "user"; getenv-like lookup for OMNI_DESK_DB. The exit code.
int RunUserCommand(const std::vector<std::string>& args, const std::function<const char*(const char*)>& environment);

}  // namespace omni::desk
