#include "tests/settings/settings_test_support.h"

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {
void CloseSearch(HANDLE search) { FindClose(search); }
using unique_find = unique_any<HANDLE, CloseSearch, -1>;

bool ReadVariable(const wchar_t* name, std::wstring& value) {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    if (n == 0 || n >= 32768) return false;
    value.assign(buffer, n);
    return true;
}
}  // namespace

TempFolderOverride::TempFolderOverride(const std::string& folder) {
    hadTmp_ = ReadVariable(L"TMP", tmp_);
    hadTemp_ = ReadVariable(L"TEMP", temp_);
    SetEnvironmentVariableW(L"TMP", Widen(folder).c_str());
    SetEnvironmentVariableW(L"TEMP", Widen(folder).c_str());
}

TempFolderOverride::~TempFolderOverride() {
    SetEnvironmentVariableW(L"TMP", hadTmp_ ? tmp_.c_str() : nullptr);
    SetEnvironmentVariableW(L"TEMP", hadTemp_ ? temp_.c_str() : nullptr);
}

std::vector<std::string> LogFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found = {};
    unique_find search(FindFirstFileW(Widen(folder + "\\*.log").c_str(), &found));
    if (!search) return names;
    do {
        names.push_back(Narrow(std::wstring(found.cFileName)));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

bool IsRunnerLogName(const std::string& name) {
    const std::string shape = "XXXXXXXX-XXXX-XXXX-XXXXXXXXXXXXXXXX.log";
    if (name.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'X') {
            if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'A' && name[i] <= 'F'))) return false;
        } else if (name[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace omni::test
