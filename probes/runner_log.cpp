#include "probes/runner_log.h"

#include <windows.h>
#include <objbase.h>

#include <vector>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

std::string RunnerLogGuidText(const GUID& g) {
    return Format("%08lX-%04X-%04X-%02X%02X%02X%02X%02X%02X%02X%02X", static_cast<unsigned long>(g.Data1),
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
}

std::string NewRunnerLogPath() {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) return std::string();
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return std::string();
    // The temporary folder keeps its trailing separator, as the system returns it.
    return Format("%s\\%s.log", Narrow(temp, n).c_str(), RunnerLogGuidText(guid).c_str());
}

bool ReadAndDeleteLog(const std::string& path, std::string& text) {
    text.clear();
    const std::wstring widePath = Widen(path);
    bool read = false;
    {
        // Writers are refused so that nothing changes the log while it is read.
        unique_file log(CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!log) return false;
        LARGE_INTEGER size = {};
        if (GetFileSizeEx(log.get(), &size) && size.HighPart == 0 && size.LowPart < 0x7FFFFFFF) {
            std::vector<char> buffer(size.LowPart);
            DWORD got = 0;
            if (size.LowPart == 0 || ReadFile(log.get(), buffer.data(), size.LowPart, &got, nullptr)) {
                size_t end = 0;
                while (end < got && buffer[end] != '\0') ++end;
                text.assign(buffer.data(), end);
                read = true;
            }
        }
    }
    DeleteFileW(widePath.c_str());
    return read;
}

}  // namespace omni
