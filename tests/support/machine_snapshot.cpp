#include "tests/support/machine_snapshot.h"

#include <tlhelp32.h>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni::test {

namespace {

void AddFiles(const std::wstring& folder, const std::string& shown, std::set<std::string>& entries) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string child = shown + "\\" + Narrow(name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries.insert("folder " + child);
            AddFiles(folder + L"\\" + name, child, entries);
        } else {
            const unsigned long long size = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) |
                                            entry.nFileSizeLow;
            entries.insert("file " + child + " " + std::to_string(size));
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

void AddKeys(HKEY key, REGSAM view, const std::string& shown, std::set<std::string>& entries) {
    entries.insert("key " + shown);
    DWORD subkeys = 0, values = 0, longestName = 0, longestValue = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestName, nullptr, &values, &longestValue,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < values; ++i) {
        std::wstring name(longestValue + 2, L'\0');
        std::string data(longestData + 2, '\0');
        DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueW(key, i, &name[0], &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &dataSize) !=
            ERROR_SUCCESS)
            continue;
        static const char kDigits[] = "0123456789abcdef";
        std::string hex(2 * static_cast<size_t>(dataSize), '0');
        for (DWORD b = 0; b < dataSize; ++b) {
            hex[2 * b] = kDigits[static_cast<unsigned char>(data[b]) >> 4];
            hex[2 * b + 1] = kDigits[static_cast<unsigned char>(data[b]) & 15];
        }
        entries.insert("value " + shown + " [" + Narrow(name.c_str(), nameSize) + "] " + std::to_string(type) + " " +
                       hex);
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring name(longestName + 2, L'\0');
        DWORD nameSize = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, &name[0], &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
        unique_hkey child;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ | view, child.addressof()) == ERROR_SUCCESS)
            AddKeys(child.get(), view, shown + "\\" + Narrow(name.c_str(), nameSize), entries);
    }
}

void AddPrograms(std::set<std::string>& entries) {
    unique_file snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W process = {};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32FirstW(snapshot.get(), &process); more; more = Process32NextW(snapshot.get(), &process))
        entries.insert("program " + Narrow(process.szExeFile));
}

}  // namespace

MachineSnapshot::MachineSnapshot(const std::vector<std::string>& folders, const std::vector<RegistryTree>& trees) {
    for (const std::string& folder : folders) AddFiles(L"\\\\?\\" + Widen(folder), folder, entries_);
    for (const RegistryTree& tree : trees) {
        unique_hkey key;
        if (RegOpenKeyExW(tree.root, Widen(tree.path).c_str(), 0, KEY_READ | tree.view, key.addressof()) ==
            ERROR_SUCCESS)
            AddKeys(key.get(), tree.view, tree.path, entries_);
    }
    AddPrograms(entries_);
}

std::vector<std::string> MachineSnapshot::ChangesTo(const MachineSnapshot& after) const {
    std::vector<std::string> changes;
    for (const std::string& entry : after.entries_)
        if (!entries_.count(entry)) changes.push_back("+ " + entry);
    for (const std::string& entry : entries_)
        if (!after.entries_.count(entry)) changes.push_back("- " + entry);
    return changes;
}

}  // namespace omni::test
