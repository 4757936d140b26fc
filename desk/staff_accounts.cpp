#include "staff_accounts.h"

#include "intake.h"
#include "login.h"
#include "options.h"
#include "password.h"

namespace omni::desk {

namespace {

constexpr size_t kLongestName = 64;

bool LongEnough(const std::string& password) {
    size_t characters = 0;
    for (unsigned char c : password) characters += (c & 0xC0) != 0x80 ? 1 : 0;
    return characters >= kShortestPassword;
}

}  // namespace

const char* AccountResultText(AccountResult result) {
    switch (result) {
    case AccountResult::Done: return "done";
    case AccountResult::NoSuchAccount: return "there is no such account";
    case AccountResult::Taken: return "there is an account of that name already";
    case AccountResult::BadName:
        return "a name is 1 to 64 bytes of text without \":\", control characters or blanks at either end";
    case AccountResult::ShortPassword: return "the password is shorter than 12 characters";
    }
    return "";
}

bool IsAccountName(const std::string& name) {
    return !name.empty() && name.size() <= kLongestName && IsTicket(name) && name.find(':') == std::string::npos &&
           name.front() != ' ' && name.back() != ' ';
}

AccountResult StaffAccounts::Add(const std::string& name, const std::string& password, int64_t nowMs) {
    if (!IsAccountName(name)) return AccountResult::BadName;
    if (!LongEnough(password)) return AccountResult::ShortPassword;
    return storage_.AddAccount(name, HashPassword(password), nowMs) ? AccountResult::Done : AccountResult::Taken;
}

AccountResult StaffAccounts::SetPassword(const std::string& name, const std::string& password, int64_t nowMs) {
    if (!LongEnough(password)) return AccountResult::ShortPassword;
    return storage_.SetPasswordHash(name, HashPassword(password), nowMs) ? AccountResult::Done
                                                                         : AccountResult::NoSuchAccount;
}

AccountResult StaffAccounts::Remove(const std::string& name) {
    return storage_.RemoveAccount(name) ? AccountResult::Done : AccountResult::NoSuchAccount;
}

std::string StaffAccounts::PrepareFirstAccount(const std::string& givenPassword, int64_t nowMs) {
    if (!givenPassword.empty()) {
        // Another service on the database may make the account at the same moment: then its hash is checked.
        if (storage_.AddAccount(kDeskUser, HashPassword(givenPassword), nowMs)) return "";
        const std::optional<std::string> hash = storage_.PasswordHashOf(kDeskUser);
        if (!hash) storage_.AddAccount(kDeskUser, HashPassword(givenPassword), nowMs);
        else if (!PasswordMatches(givenPassword, *hash)) storage_.SetPasswordHash(kDeskUser, HashPassword(givenPassword), nowMs);
        return "";
    }
    if (!storage_.Accounts().empty()) return "";
    std::string generated = GeneratePassword();
    if (!storage_.AddAccount(kDeskUser, HashPassword(generated), nowMs)) return "";  // another service was first
    return generated;
}

}  // namespace omni::desk
