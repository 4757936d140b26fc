// One description of a control's persistent properties serves every medium: the page's PARAMs
// (property bag), a stream and a storage. The control walks its properties through an exchange.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

namespace omni::fw {

class PropertyExchange {
public:
    virtual ~PropertyExchange() = default;
    virtual bool IsLoading() const = 0;
    // Loading: a property that the medium lacks takes fallback.
    virtual HRESULT Long(const wchar_t* name, long& value, long fallback) = 0;
    // Loading: a property that the medium lacks keeps its current value.
    virtual HRESULT String(const wchar_t* name, std::string& value) = 0;
};

// The version stamp written first, as every exchange of the control's properties begins.
inline constexpr long kExchangeVersion = 0x00010000;  // 1.0

// PARAM elements of a page, or a design tool's bag. Absent properties are not errors.
class BagExchange final : public PropertyExchange {
public:
    BagExchange(IPropertyBag* bag, bool loading) : bag_(bag), loading_(loading) {}
    bool IsLoading() const override { return loading_; }
    HRESULT Long(const wchar_t* name, long& value, long fallback) override;
    HRESULT String(const wchar_t* name, std::string& value) override;

private:
    IPropertyBag* bag_;
    bool loading_;
};

// Binary form in a stream: a long as 4 bytes, a string as its UTF-8 byte count and bytes.
class StreamExchange final : public PropertyExchange {
public:
    StreamExchange(IStream* stream, bool loading) : stream_(stream), loading_(loading) {}
    bool IsLoading() const override { return loading_; }
    HRESULT Long(const wchar_t* name, long& value, long fallback) override;
    HRESULT String(const wchar_t* name, std::string& value) override;

private:
    HRESULT Read(void* data, ULONG size);
    HRESULT Write(const void* data, ULONG size);

    IStream* stream_;
    bool loading_;
};

}  // namespace omni::fw
