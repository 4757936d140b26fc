#include "framework/type_library.h"

#include "platform/handles.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace omni::fw {

namespace {
ITypeLib* library = nullptr;  // one reference, held until the module unloads
}  // namespace

HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ITypeLib* current = static_cast<ITypeLib*>(InterlockedCompareExchangePointer(
        reinterpret_cast<void**>(&library), nullptr, nullptr));
    if (!current) {
        com_ptr<ITypeLib> loaded;
        HRESULT hr = LoadTypeLibEx(Widen(ModulePath(CurrentModule())).c_str(), REGKIND_NONE, loaded.addressof());
        if (FAILED(hr)) return hr;
        // Two threads may load at once; the first one stored wins and the other copy goes.
        ITypeLib* candidate = loaded.get();
        void* previous = InterlockedCompareExchangePointer(reinterpret_cast<void**>(&library), candidate, nullptr);
        if (previous == nullptr) (void)loaded.release();
        current = static_cast<ITypeLib*>(previous ? previous : candidate);
    }
    return current->GetTypeInfoOfGuid(guid, out);
}

void ReleaseModuleTypeLib() {
    ITypeLib* held = static_cast<ITypeLib*>(InterlockedExchangePointer(reinterpret_cast<void**>(&library), nullptr));
    if (held) held->Release();
}

}  // namespace omni::fw
