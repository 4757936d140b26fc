#include "tests/support/scratch_folder.h"

#include <windows.h>

#include <vector>

#include "platform/file_probe.h"
#include "platform/handles.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace omni::test {

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GUID guid;
    CoCreateGuid(&guid);
    wchar_t text[64];
    StringFromGUID2(guid, text, 64);
    std::wstring path = std::wstring(temp) + L"omni-" + std::wstring(text + 1, 36);
    CreateDirectoryW(path.c_str(), nullptr);
    path_ = Narrow(path);
}

namespace {
// Removes a folder and everything below it, and nothing else: a plain recursive walk with the
// long-path prefix (SHFileOperation mishandles trees deeper than MAX_PATH under Wine).
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = folder + L"\\" + name;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}
}  // namespace

ScratchFolder::~ScratchFolder() {
    if (path_.size() < 8) return;  // never a drive root
    RemoveTree(L"\\\\?\\" + Widen(path_));
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    unique_file f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!f) return;
    DWORD written = 0;
    WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadBytes(const std::string& path) {
    unique_file f(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return std::string();
    DWORD size = GetFileSize(f.get(), nullptr);
    std::string bytes(size, '\0');
    DWORD read = 0;
    if (size) ReadFile(f.get(), &bytes[0], size, &read, nullptr);
    bytes.resize(read);
    return bytes;
}

bool FileExists(const std::string& path) { return IsFile(path); }

std::string TestBinFolder() { return FolderOf(ModulePath(nullptr)); }

}  // namespace omni::test
