// The class factories of an in-process server, found by class identifier in a table.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace omni::fw {

// Creates one object with a single reference, or answers null.
using CreateObjectFn = IUnknown* (*)();

struct FactoryEntry {
    const CLSID* clsid;
    CreateObjectFn create;
};

// DllGetClassObject over a table of entries.
HRESULT GetFactory(const FactoryEntry* entries, size_t count, REFCLSID clsid, REFIID iid, void** out);

}  // namespace omni::fw
