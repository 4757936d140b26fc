// Staff accounts: what `omniprobe-desk user add|remove|list|password` does, and the first account, "desk",
// whose password a service may be given (OMNI_DESK_PASSWORD or --password-file), as before there were
// accounts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage.h"

namespace omni::desk {

enum class AccountResult { Done, NoSuchAccount, Taken, BadName, ShortPassword };

// The result's text for the command's user, in English.
const char* AccountResultText(AccountResult result);

// A name is 1 to 64 bytes of plain text (no control or format character), without ":", which would end
// the name in an HTTP Basic login, and without blanks at either end.
bool IsAccountName(const std::string& name);

class StaffAccounts {
public:
    explicit StaffAccounts(Storage& storage) : storage_(storage) {}
    AccountResult Add(const std::string& name, const std::string& password, int64_t nowMs);
    // Ends the account's sessions.
    AccountResult SetPassword(const std::string& name, const std::string& password, int64_t nowMs);
    // Ends the account's sessions.
    AccountResult Remove(const std::string& name);
    std::vector<Account> List() { return storage_.Accounts(); }

    // At a service's start. A password given to the service is the account "desk"'s (which is made, or
    // given it, when needed); without one, a database without accounts gets "desk" with a generated
    // password, which is answered so that it can be shown once. Answers "" otherwise.
    std::string PrepareFirstAccount(const std::string& givenPassword, int64_t nowMs);

private:
    Storage& storage_;
};

}  // namespace omni::desk
