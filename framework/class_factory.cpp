#include "framework/class_factory.h"

#include <new>

#include "framework/module_lock.h"
#include "hosting/com_edge.h"
#include "platform/com_object.h"
#include "platform/handles.h"

namespace omni::fw {

namespace {

class ClassFactory final : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ClassFactory(CreateObjectFn create) : create_(create) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return ComEdge([&]() -> HRESULT {
            com_ptr<IUnknown> object(create_());
            if (!object) return E_OUTOFMEMORY;
            return object->QueryInterface(iid, out);
        });
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    ~ClassFactory() override = default;

    CreateObjectFn create_;
    ModuleReference module_;
};

}  // namespace

HRESULT GetFactory(const FactoryEntry* entries, size_t count, REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComEdge([&]() -> HRESULT {
        for (size_t i = 0; i < count; ++i) {
            if (!IsEqualCLSID(*entries[i].clsid, clsid)) continue;
            com_ptr<IClassFactory> factory(new ClassFactory(entries[i].create));
            return factory->QueryInterface(iid, out);
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

}  // namespace omni::fw
