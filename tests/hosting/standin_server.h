// Test helpers around the built stand-in controls: where they are, and their own registration
// in the real registry of the prefix (COM activation reads that one, not a sandbox).
#pragma once

#include <windows.h>

#include <string>

#include "machine/component_ids.h"
#include "platform/handles.h"

namespace omni::test {

std::string StandinPath(const char* folder, const char* fileName);
CLSID ClsidOf(const ComponentIds& ids);

// Calls an export of the server file: DllRegisterServer, DllUnregisterServer, DllCanUnloadNow.
HRESULT CallServerExport(const std::string& path, const char* name);

// Deletes the control's keys under HKEY_CLASSES_ROOT, whoever wrote them.
void RemoveMachineRegistration(const ComponentIds& ids);

// Registers the server machine-wide for the life of the object; the keys go away afterwards
// even when the file itself is gone by then.
class MachineRegistration {
public:
    MachineRegistration(const std::string& path, const ComponentIds& ids);
    ~MachineRegistration();
    MachineRegistration(const MachineRegistration&) = delete;
    MachineRegistration& operator=(const MachineRegistration&) = delete;

    HRESULT result() const { return result_; }

private:
    std::string path_;
    const ComponentIds& ids_;
    HRESULT result_;
};

// Keeps the server module loaded, so the test can ask it whether any object is still alive.
class LoadedServer {
public:
    explicit LoadedServer(const std::string& path);
    bool loaded() const { return static_cast<bool>(module_); }
    bool NothingAlive() const;  // DllCanUnloadNow answers S_OK

private:
    unique_hmodule module_;
};

}  // namespace omni::test
