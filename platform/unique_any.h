// Move-only owner of one handle, closed exactly once.
#pragma once

#include <cstdint>
#include <utility>

namespace omni {

// Invalid is given as an integer, since a pointer sentinel such as INVALID_HANDLE_VALUE
// cannot be a template argument.
template <typename T, auto Close, intptr_t Invalid = 0>
class unique_any {
public:
    unique_any() = default;
    explicit unique_any(T value) : value_(value) {}
    ~unique_any() { reset(); }

    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != invalid(); }

    void reset(T value = invalid()) {
        if (value_ != invalid()) Close(value_);
        value_ = value;
    }
    T release() {
        T value = value_;
        value_ = invalid();
        return value;
    }
    // For out-parameters: whatever was held is closed first.
    T* addressof() {
        reset();
        return &value_;
    }

private:
    static T invalid() { return (T)Invalid; }

    T value_ = invalid();
};

}  // namespace omni
