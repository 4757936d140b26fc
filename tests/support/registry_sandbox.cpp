#include "tests/support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/text.h"

namespace omni::test {

namespace {
unique_hkey CreateScratch(const std::wstring& path) {
    unique_hkey key;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.addressof(), nullptr);
    EXPECT_EQ(rc, ERROR_SUCCESS) << "cannot create the scratch key";
    return key;
}

// The machine's trust stays the machine's inside the sandbox: the publisher check (of Tarrow, say) reads
// the certificate stores and the registered trust providers through HKLM, and the system keeps what it
// read, once, for the process.
constexpr const wchar_t* kMachineTrustKeys[] = {L"Software\\Microsoft\\SystemCertificates",
                                                L"Software\\Microsoft\\Cryptography"};

void LinkMachineTrust(HKEY scratchMachine) {
    unique_hkey parent;
    if (RegCreateKeyExW(scratchMachine, L"Software\\Microsoft", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        parent.addressof(), nullptr) != ERROR_SUCCESS)
        return;
    for (const wchar_t* path : kMachineTrustKeys) {
        unique_hkey link;
        if (RegCreateKeyExW(scratchMachine, path, 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, nullptr,
                            link.addressof(), nullptr) != ERROR_SUCCESS)
            continue;
        const std::wstring target = std::wstring(L"\\Registry\\Machine\\") + path;
        RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.c_str()),
                       static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    }
}

// True when no link is left in the sandbox: deleting the scratch tree would otherwise follow one into the
// machine's own keys.
bool UnlinkMachineTrust(HKEY scratchMachine) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtDeleteKey"));
    bool unlinked = true;
    for (const wchar_t* path : kMachineTrustKeys) {
        unique_hkey link;
        LONG rc = RegOpenKeyExW(scratchMachine, path, REG_OPTION_OPEN_LINK, DELETE, link.addressof());
        if (rc == ERROR_FILE_NOT_FOUND) continue;
        unlinked = unlinked && rc == ERROR_SUCCESS && deleteKey && deleteKey(link.get()) == 0;
    }
    return unlinked;
}
}  // namespace

RegistrySandbox::RegistrySandbox() {
    GUID guid;
    CoCreateGuid(&guid);
    wchar_t text[64];
    StringFromGUID2(guid, text, 64);
    scratch_ = std::wstring(L"Software\\OmniprobeTests\\") + text;
    hkcu_ = CreateScratch(scratch_ + L"\\HKCU");
    hklm_ = CreateScratch(scratch_ + L"\\HKLM");
    hkcr_ = CreateScratch(scratch_ + L"\\HKCR");
    LinkMachineTrust(hklm_.get());
    RegOverridePredefKey(HKEY_CURRENT_USER, hkcu_.get());
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, hklm_.get());
    RegOverridePredefKey(HKEY_CLASSES_ROOT, hkcr_.get());
}

RegistrySandbox::~RegistrySandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    const bool unlinked = UnlinkMachineTrust(hklm_.get());
    hkcu_.reset();
    hklm_.reset();
    hkcr_.reset();
    EXPECT_TRUE(unlinked) << "a link of the sandbox to the machine's trust is left in place";
    if (!unlinked) return;
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, scratch_.c_str());
}

void CreateKey(HKEY root, const std::string& path, REGSAM view) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                              key.addressof(), nullptr),
              ERROR_SUCCESS)
        << path;
}

void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value, DWORD type,
               REGSAM view) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                              key.addressof(), nullptr),
              ERROR_SUCCESS)
        << path;
    std::wstring wide = Widen(value);
    ASSERT_EQ(RegSetValueExW(key.get(), Widen(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(wide.c_str()),
                             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value, REGSAM view) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                              key.addressof(), nullptr),
              ERROR_SUCCESS)
        << path;
    ASSERT_EQ(RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof(value)),
              ERROR_SUCCESS);
}

void DeleteTree(HKEY root, const std::string& path, REGSAM view) {
    unique_hkey key;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_ALL_ACCESS | view, key.addressof()) == ERROR_SUCCESS) {
        RegDeleteTreeW(key.get(), nullptr);
        key.reset();
    }
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    auto deleteEx = reinterpret_cast<DeleteKeyEx>(GetProcAddress(GetModuleHandleW(L"advapi32"), "RegDeleteKeyExW"));
    if (deleteEx && view)
        deleteEx(root, Widen(path).c_str(), view, 0);
    else
        RegDeleteKeyW(root, Widen(path).c_str());
}

bool KeyPresent(HKEY root, const std::string& path, REGSAM view) {
    unique_hkey key;
    return RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ | view, key.addressof()) == ERROR_SUCCESS;
}

bool ValuePresent(HKEY root, const std::string& path, const std::string& name, REGSAM view) {
    unique_hkey key;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ | view, key.addressof()) != ERROR_SUCCESS) return false;
    return RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ReadDword(HKEY root, const std::string& path, const std::string& name, DWORD& value, REGSAM view) {
    unique_hkey key;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ | view, key.addressof()) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = sizeof(value);
    return RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

bool ReadString(HKEY root, const std::string& path, const std::string& name, std::string& value, DWORD* type,
                REGSAM view) {
    unique_hkey key;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ | view, key.addressof()) != ERROR_SUCCESS) return false;
    DWORD t = 0, size = 0;
    if (RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &t, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type) *type = t;
    value = Narrow(std::wstring(buffer.data()));
    return true;
}

void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.addressof(),
                              nullptr),
              ERROR_SUCCESS);
    // The writer adds a terminator to text whose next character is zero; a non-zero one keeps the data as given.
    std::string padded = bytes + "\x01\x01";
    ASSERT_EQ(RegSetValueExW(key.get(), Widen(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(padded.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

std::vector<std::string> SubkeysOf(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    unique_hkey key;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ, key.addressof()) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(Narrow(name, length));
    }
    return names;
}

DWORD ValueCountOf(HKEY root, const std::string& path) {
    unique_hkey key;
    DWORD values = 0;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ, key.addressof()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
    return values;
}

}  // namespace omni::test
