#include "tests/hosting/standin_server.h"

#include "platform/text.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {
using ServerExport = HRESULT(STDAPICALLTYPE*)();
}

std::string StandinPath(const char* folder, const char* fileName) {
    return TestBinFolder() + "\\" + folder + "\\" + fileName;
}

CLSID ClsidOf(const ComponentIds& ids) {
    CLSID clsid = CLSID_NULL;
    CLSIDFromString(Widen(ids.clsid).c_str(), &clsid);
    return clsid;
}

HRESULT CallServerExport(const std::string& path, const char* name) {
    unique_hmodule module(LoadLibraryW(Widen(path).c_str()));
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    auto call = reinterpret_cast<ServerExport>(GetProcAddress(module.get(), name));
    if (!call) return E_NOTIMPL;
    return call();
}

void RemoveMachineRegistration(const ComponentIds& ids) {
    DeleteTree(HKEY_CLASSES_ROOT, std::string("CLSID\\") + ids.clsid);
    DeleteTree(HKEY_CLASSES_ROOT, ids.progId);
}

// Starts clean too: a test process that died earlier may have left its registration behind.
MachineRegistration::MachineRegistration(const std::string& path, const ComponentIds& ids)
    : path_(path), ids_(ids), result_((RemoveMachineRegistration(ids), CallServerExport(path, "DllRegisterServer"))) {}

MachineRegistration::~MachineRegistration() {
    CallServerExport(path_, "DllUnregisterServer");
    RemoveMachineRegistration(ids_);
}

LoadedServer::LoadedServer(const std::string& path) : module_(LoadLibraryW(Widen(path).c_str())) {}

bool LoadedServer::NothingAlive() const {
    auto call = reinterpret_cast<ServerExport>(GetProcAddress(module_.get(), "DllCanUnloadNow"));
    return call && call() == S_OK;
}

}  // namespace omni::test
