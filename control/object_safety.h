// Declares the control safe for scripting and for data from any page, and refuses to be made less so.
#pragma once

#include <windows.h>
#include <objsafe.h>

namespace omni {

inline constexpr DWORD kSafeOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

// Lives inside the control and shares its identity and reference count.
class ObjectSafety final : public IObjectSafety {
public:
    explicit ObjectSafety(IUnknown* owner) : owner_(owner) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return owner_->QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

private:
    HRESULT HasInterface(REFIID iid);

    IUnknown* owner_;
};

}  // namespace omni
