#include "machine/file_replacement.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <cwctype>
#include <utility>
#include <vector>

#include "core/result_codes.h"
#include "machine/private_folder.h"
#include "platform/crypt_handles.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr char kAsideSuffix[] = ".aside";
constexpr size_t kAsideNameDigits = 16;
constexpr DWORD kHashChunk = 64 * 1024;

// The file information calls of the system's native layer, which rename and delete through a handle that
// is already open, on every NT system: the file never has to be opened again by its name.
struct IoStatus {
    LONG status;
    ULONG_PTR information;
};
using SetInformationFile = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformation = 13;

SetInformationFile NativeSetInformation() {
    static const auto call = reinterpret_cast<SetInformationFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetInformationFile")));
    return call;
}

// "C:\a\b" as "\??\C:\a\b", "\\server\share\b" as "\??\UNC\server\share\b".
std::wstring NativePath(const std::wstring& path) {
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\??\\UNC\\" + path.substr(2);
    return L"\\??\\" + path;
}

bool RenameHeld(HANDLE file, const std::string& to, bool replace) {
    SetInformationFile set = NativeSetInformation();
    if (!set) return false;
    const std::wstring name = NativePath(Widen(to));
    struct RenameInformation {
        BOOLEAN replaceIfExists;
        HANDLE rootDirectory;
        ULONG fileNameLength;
        WCHAR fileName[1];
    };
    std::vector<BYTE> buffer(sizeof(RenameInformation) + name.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
    info->replaceIfExists = replace ? TRUE : FALSE;
    info->rootDirectory = nullptr;
    info->fileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
    std::memcpy(info->fileName, name.data(), name.size() * sizeof(wchar_t));
    IoStatus io = {};
    return set(file, &io, info, static_cast<ULONG>(buffer.size()), kFileRenameInformation) >= 0;
}

bool DeleteHeld(HANDLE file) {
    SetInformationFile set = NativeSetInformation();
    if (!set) return false;
    BOOLEAN deleteFile = TRUE;
    IoStatus io = {};
    return set(file, &io, &deleteFile, sizeof(deleteFile), kFileDispositionInformation) >= 0;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Whether name is "<file>.<16 hexadecimal digits>.aside", as MoveAside names a copy of file.
bool IsAsideOf(const std::wstring& name, const std::wstring& file) {
    const std::wstring suffix = Widen(kAsideSuffix);
    if (name.size() != file.size() + 1 + kAsideNameDigits + suffix.size()) return false;
    if (_wcsnicmp(name.c_str(), file.c_str(), file.size()) != 0 || name[file.size()] != L'.') return false;
    if (_wcsicmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) != 0) return false;
    for (size_t i = file.size() + 1; i < file.size() + 1 + kAsideNameDigits; ++i)
        if (!iswxdigit(name[i])) return false;
    return true;
}

// Copies that an earlier replacement had to leave aside, since the browser still had them loaded, go now;
// one still in use stays.
void RemoveLeftoverAsides(const std::string& destination) {
    const size_t slash = destination.find_last_of('\\');
    const std::wstring folder = Widen(destination.substr(0, slash + 1)), file = Widen(destination.substr(slash + 1));
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + file + L".*" + Widen(kAsideSuffix)).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (IsAsideOf(found.cFileName, file)) DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::string HashOfFile(HANDLE file) {
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::string();
    unique_crypt_provider provider;
    unique_crypt_hash hash;
    if (!CryptAcquireContextW(provider.addressof(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) ||
        !CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.addressof()))
        return std::string();
    std::vector<BYTE> chunk(kHashChunk);
    DWORD read = 0;
    do {
        if (!ReadFile(file, chunk.data(), kHashChunk, &read, nullptr)) return std::string();
        if (read > 0 && !CryptHashData(hash.get(), chunk.data(), read, 0)) return std::string();
    } while (read > 0);
    BYTE digest[32] = {};
    DWORD size = sizeof(digest);
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &size, 0)) return std::string();
    return std::string(reinterpret_cast<const char*>(digest), size);
}

FileReplacement::FileReplacement(std::string destination) : destination_(std::move(destination)) {}

FileReplacement::~FileReplacement() { RollBack(); }

bool FileReplacement::MoveAside() {
    // Opened before it moves and held from then on: what is put back is what was moved.
    unique_file old(CreateFileW(Widen(destination_).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!old) return false;
    const std::string hash = HashOfFile(old.get());
    const std::string name = RandomHexName();
    if (hash.empty() || name.empty()) return false;
    const std::string aside = destination_ + "." + name.substr(0, kAsideNameDigits) + kAsideSuffix;
    if (!RenameHeld(old.get(), aside, false)) return false;
    heldAside_ = std::move(old);
    asidePath_ = aside;
    movedHash_ = hash;
    return true;
}

int FileReplacement::Copy(const std::string& source, int retries, unsigned pauseMs) {
    const std::wstring from = Widen(source), to = Widen(destination_);
    RemoveLeftoverAsides(destination_);
    for (int attempt = 0; attempt <= retries; ++attempt) {
        if (Exists(to)) {
            if (!heldAside_) MoveAside();
            Sleep(pauseMs);
        }
        // Never over a file: one that could not be moved aside, or that someone put there meanwhile, stays.
        if (CopyFileW(from.c_str(), to.c_str(), TRUE)) {
            copied_ = true;
            return kOk;
        }
    }
    RollBack();
    return kTargetInUse;
}

void FileReplacement::Commit() {
    copied_ = false;
    if (!heldAside_) return;
    if (!DeleteHeld(heldAside_.get()))
        MoveFileExW(Widen(asidePath_).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    heldAside_.reset();
    asidePath_.clear();
}

void FileReplacement::RollBack() {
    if (copied_) DeleteFileW(Widen(destination_).c_str());
    copied_ = false;
    if (!heldAside_) return;
    // Bytes that are no longer the ones moved aside are not put where the system would load them. A copy
    // that cannot take its name back stays aside, under its own name.
    if (HashOfFile(heldAside_.get()) == movedHash_)
        RenameHeld(heldAside_.get(), destination_, true);
    else
        DeleteHeld(heldAside_.get());
    heldAside_.reset();
    asidePath_.clear();
}

}  // namespace omni
