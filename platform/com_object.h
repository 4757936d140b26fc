// The IUnknown of a COM object that answers one interface: a reference count that deletes the
// object when the last reference goes, and QueryInterface for IUnknown and that interface.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace omni {

template <typename Interface, const IID& kInterfaceId>
class ComObject : public Interface {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, kInterfaceId) && !AnswersAlso(iid))
            return E_NOINTERFACE;
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~ComObject() = default;
    // Further identifiers under which the object hands out the same interface.
    virtual bool AnswersAlso(REFIID) const { return false; }

private:
    LONG references_ = 1;  // the creator's
};

}  // namespace omni
