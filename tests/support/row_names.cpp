#include "tests/support/row_names.h"

namespace omni::test {

std::string RowName(const std::string& text, size_t index) {
    std::string name;
    for (char c : text) {
        bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (kept) name += c;
        else if (!name.empty() && name.back() != '_') name += '_';
    }
    if (name.empty()) name = "Empty";
    if (name.back() != '_') name += '_';
    return name + "row" + std::to_string(index);
}

}  // namespace omni::test
