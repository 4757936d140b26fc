// Owners for the Win32 and COM resources the system holds.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wininet.h>

#include <string>
#include <utility>

#include "platform/unique_any.h"

namespace omni {

namespace detail {
inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void ReleaseModule(HMODULE m) { FreeLibrary(m); }
inline void FreeBstr(BSTR s) { SysFreeString(s); }
inline void DestroyWin(HWND w) { DestroyWindow(w); }
inline void DeleteGdiObject(HGDIOBJ o) { DeleteObject(o); }
inline void ReleaseSid(PSID s) { FreeSid(s); }
inline void CloseInternet(HINTERNET h) { InternetCloseHandle(h); }
inline void FreeTaskMemory(wchar_t* p) { CoTaskMemFree(p); }
inline void DeregisterSource(HANDLE h) { DeregisterEventSource(h); }
}  // namespace detail

using unique_hkey = unique_any<HKEY, detail::CloseKey>;
using unique_handle = unique_any<HANDLE, detail::CloseKernelHandle>;  // null means none
using unique_file = unique_any<HANDLE, detail::CloseKernelHandle, -1>;
using unique_hmodule = unique_any<HMODULE, detail::ReleaseModule>;
using unique_bstr = unique_any<BSTR, detail::FreeBstr>;
using unique_hwnd = unique_any<HWND, detail::DestroyWin>;
using unique_gdi = unique_any<HGDIOBJ, detail::DeleteGdiObject>;
using unique_sid = unique_any<PSID, detail::ReleaseSid>;  // from AllocateAndInitializeSid
using unique_hinternet = unique_any<HINTERNET, detail::CloseInternet>;
using unique_cotaskmem_string = unique_any<wchar_t*, detail::FreeTaskMemory>;  // a text a COM call allocated
using unique_event_source = unique_any<HANDLE, detail::DeregisterSource>;  // from RegisterEventSourceW

// A VARIANT that is cleared when it goes out of scope.
class unique_variant {
public:
    unique_variant() { VariantInit(&v_); }
    ~unique_variant() { VariantClear(&v_); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* addressof() {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

// COM interface pointer owner; QueryInterface lands in addressof().
template <typename T>
class com_ptr {
public:
    com_ptr() = default;
    explicit com_ptr(T* p) : p_(p) {}  // takes over a reference
    ~com_ptr() { reset(); }
    com_ptr(const com_ptr& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    com_ptr& operator=(const com_ptr& other) {
        if (this != &other) {
            if (other.p_) other.p_->AddRef();
            reset(other.p_);
        }
        return *this;
    }
    com_ptr(com_ptr&& other) noexcept : p_(other.release()) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset(T* p = nullptr) {
        T* old = p_;
        p_ = p;
        if (old) old->Release();
    }
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    T** addressof() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(addressof()); }

    template <typename U>
    HRESULT query(com_ptr<U>& out, REFIID iid) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out.put_void());
    }

private:
    T* p_ = nullptr;
};

// A further owner of an object that is already held: adds the reference the new owner releases.
template <typename T>
com_ptr<T> Shared(T* p) {
    if (p) p->AddRef();
    return com_ptr<T>(p);
}

// Balances CoInitializeEx on every path.
class com_init {
public:
    explicit com_init(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ~com_init() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    com_init(const com_init&) = delete;
    com_init& operator=(const com_init&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace omni
