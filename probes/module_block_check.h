// The browser's "disabled" record for a fixed set of add-ons: whether any of them is disabled,
// and clearing the record as a repair.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>

namespace omni {

class CModuleBlockCheck {
public:
    virtual ~CModuleBlockCheck();
    CModuleBlockCheck(const CModuleBlockCheck&) = delete;
    CModuleBlockCheck& operator=(const CModuleBlockCheck&) = delete;

    // 1 when at least one identifier is disabled, 0 when none is (or there is none to check),
    // -1 when closing a key fails or anything else goes wrong.
    int IsBlocked();
    // Removes the Settings subkey of every identifier; 0, or -1 as above or when a subkey that exists
    // could not be removed (it is left as it is).
    int Unblock();

    int count() const { return count_; }
    const GUID* identifiers() const { return identifiers_.get(); }

protected:
    CModuleBlockCheck() = default;
    void SetIdentifiers(std::initializer_list<GUID> ids);

private:
    int IsBlockedUnguarded();
    int UnblockUnguarded();

    std::unique_ptr<GUID[]> identifiers_;
    int count_ = 0;
};

}  // namespace omni
