#include "machine/private_folder.h"

#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>

#include <vector>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr char kFolderPrefix[] = "omni-dl-";
constexpr int kCreateAttempts = 4;

// "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;<owner>)": protected, inherited by the file inside.
// The owner of what this process creates is the user, or the Administrators group when it runs elevated:
// then an unelevated process of the same user cannot put a DLL beside the installer.
std::wstring PrivateDescriptor() {
    unique_handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.addressof())) return std::wstring();
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenOwner, nullptr, 0, &size);
    if (size == 0) return std::wstring();
    std::vector<BYTE> owner(size);
    if (!GetTokenInformation(token.get(), TokenOwner, owner.data(), size, &size)) return std::wstring();
    wchar_t* sid = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_OWNER*>(owner.data())->Owner, &sid)) return std::wstring();
    std::wstring descriptor = std::wstring(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;") + sid + L")";
    LocalFree(sid);
    return descriptor;
}

bool CreateWithDescriptor(const std::wstring& path, const std::wstring& descriptor) {
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    PSECURITY_DESCRIPTOR parsed = nullptr;
    if (!descriptor.empty() &&
        ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor.c_str(), SDDL_REVISION_1, &parsed, nullptr))
        attributes.lpSecurityDescriptor = parsed;
    // The call fails when the name exists: a folder someone made in advance is never taken over.
    const bool created = CreateDirectoryW(path.c_str(), &attributes) != FALSE;
    if (parsed) LocalFree(parsed);
    return created;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + name;
            const bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            // A junction or link is removed as itself: what it points at is not ours.
            if (directory && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path + L"\\");
            } else if (directory) {
                RemoveDirectoryW(path.c_str());
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::string RandomHexName() {
    unsigned char bytes[16] = {};
    if (!RtlGenRandom(bytes, sizeof(bytes))) return std::string();
    static const char kDigits[] = "0123456789abcdef";
    std::string name;
    for (unsigned char b : bytes) {
        name += kDigits[b >> 4];
        name += kDigits[b & 15];
    }
    return name;
}

PrivateFolder::~PrivateFolder() { Remove(); }

bool PrivateFolder::Create(const std::string& tempFolder) {
    Remove();
    if (tempFolder.empty() || tempFolder.back() != '\\') return false;
    const std::wstring descriptor = PrivateDescriptor();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string name = RandomHexName();
        if (name.empty()) return false;
        const std::string path = tempFolder + kFolderPrefix + name + "\\";
        if (CreateWithDescriptor(Widen(path), descriptor)) {
            path_ = path;
            return true;
        }
    }
    return false;
}

void PrivateFolder::Remove() {
    if (path_.empty()) return;
    RemoveTree(Widen(path_));
    path_.clear();
}

}  // namespace omni
