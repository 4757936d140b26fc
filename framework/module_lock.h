// Counts the objects and server locks that keep an in-process server loaded.
#pragma once

namespace omni::fw {

void LockModule();
void UnlockModule();
bool ModuleCanUnload();

// Held by every object the module hands out, for its lifetime.
class ModuleReference {
public:
    ModuleReference() { LockModule(); }
    ~ModuleReference() { UnlockModule(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
};

}  // namespace omni::fw
