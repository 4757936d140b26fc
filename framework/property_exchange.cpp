#include "framework/property_exchange.h"

#include <vector>

#include "framework/dispatch_args.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni::fw {

namespace {
// A stream that claims more than this for one string is damaged, not a property.
constexpr ULONG kLongestString = 1u << 20;
}  // namespace

HRESULT BagExchange::Long(const wchar_t* name, long& value, long fallback) {
    unique_variant v;
    if (loading_) {
        V_VT(v.get()) = VT_I4;
        if (FAILED(bag_->Read(name, v.get(), nullptr))) {
            value = fallback;
            return S_OK;
        }
        unique_variant converted;
        if (FAILED(VariantChangeType(converted.get(), v.get(), 0, VT_I4))) {
            value = fallback;
            return S_OK;
        }
        value = V_I4(converted.get());
        return S_OK;
    }
    V_VT(v.get()) = VT_I4;
    V_I4(v.get()) = value;
    return bag_->Write(name, v.get());
}

HRESULT BagExchange::String(const wchar_t* name, std::string& value) {
    unique_variant v;
    if (loading_) {
        V_VT(v.get()) = VT_BSTR;
        if (FAILED(bag_->Read(name, v.get(), nullptr))) return S_OK;
        unique_variant converted;
        if (FAILED(VariantChangeType(converted.get(), v.get(), 0, VT_BSTR))) return S_OK;
        BSTR text = V_BSTR(converted.get());
        value = text ? Narrow(text, SysStringLen(text)) : std::string();
        return S_OK;
    }
    BSTR text = AllocBstr(value);
    if (!text) return E_OUTOFMEMORY;
    V_VT(v.get()) = VT_BSTR;
    V_BSTR(v.get()) = text;
    return bag_->Write(name, v.get());
}

HRESULT StreamExchange::Read(void* data, ULONG size) {
    ULONG read = 0;
    HRESULT hr = stream_->Read(data, size, &read);
    if (FAILED(hr)) return hr;
    return read == size ? S_OK : STG_E_READFAULT;
}

HRESULT StreamExchange::Write(const void* data, ULONG size) {
    ULONG written = 0;
    HRESULT hr = stream_->Write(data, size, &written);
    if (FAILED(hr)) return hr;
    return written == size ? S_OK : STG_E_WRITEFAULT;
}

HRESULT StreamExchange::Long(const wchar_t*, long& value, long) {
    LONG stored = value;
    if (!loading_) return Write(&stored, sizeof(stored));
    HRESULT hr = Read(&stored, sizeof(stored));
    if (SUCCEEDED(hr)) value = stored;
    return hr;
}

HRESULT StreamExchange::String(const wchar_t*, std::string& value) {
    if (!loading_) {
        ULONG size = static_cast<ULONG>(value.size());
        HRESULT hr = Write(&size, sizeof(size));
        return FAILED(hr) || size == 0 ? hr : Write(value.data(), size);
    }
    ULONG size = 0;
    HRESULT hr = Read(&size, sizeof(size));
    if (FAILED(hr)) return hr;
    if (size > kLongestString) return STG_E_READFAULT;
    std::string text(size, '\0');
    if (size) hr = Read(&text[0], size);
    if (SUCCEEDED(hr)) value = std::move(text);
    return hr;
}

}  // namespace omni::fw
