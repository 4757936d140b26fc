// Points this program's imports of one system function at another while it lives, and back afterwards.
// The product's code is linked into the test program, so its calls go through the same import slots.
#pragma once

#include <windows.h>

#include <vector>

namespace omni::test {

class ImportReplacement {
public:
    ImportReplacement(const char* dll, const char* function, const void* replacement);
    ~ImportReplacement();
    ImportReplacement(const ImportReplacement&) = delete;
    ImportReplacement& operator=(const ImportReplacement&) = delete;

    bool replaced() const { return !slots_.empty(); }
    const void* original() const { return original_; }

private:
    std::vector<ULONG_PTR*> slots_;
    const void* original_ = nullptr;
};

}  // namespace omni::test
