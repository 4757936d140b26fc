#include "probes/flash_security_setup.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <new>

#include "platform/file_probe.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

// Flash Player keeps its global settings under a folder named after its vendor's support site.
constexpr char kSettingsBelowAppData[] =
    "Macromedia\\Flash Player\\macromedia.com\\support\\flashplayer\\sys\\settings.sol";

// The whole file, however long; false when it cannot be read.
bool ReadWholeFile(HANDLE file, std::string& data) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFF) return false;
    try {
        data.assign(static_cast<size_t>(size.QuadPart), '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_t done = 0;
    while (done < data.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1 << 20));
        DWORD got = 0;
        if (!ReadFile(file, &data[done], chunk, &got, nullptr)) return false;
        if (got == 0) break;  // the file shrank since its size was taken
        done += got;
    }
    data.resize(done);
    return true;
}

bool WriteByteAt(HANDLE file, long long offset, BYTE value) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    DWORD written = 0;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && WriteFile(file, &value, 1, &written, nullptr) &&
           written == 1;
}

}  // namespace

std::string FlashSettingsPathIn(const std::string& appDataFolder) {
    if (appDataFolder.empty()) return "";
    std::string path = appDataFolder;
    if (path.back() != '\\') path += '\\';
    return path + kSettingsBelowAppData;
}

CFlashSecuritySetup::CFlashSecuritySetup() = default;

CFlashSecuritySetup::CFlashSecuritySetup(const std::string& appDataFolder)
    : fixedAppData_(true), appDataFolder_(appDataFolder) {}

CFlashSecuritySetup::~CFlashSecuritySetup() = default;

std::string CFlashSecuritySetup::GetSettingsPath() {
    if (fixedAppData_) return FlashSettingsPathIn(appDataFolder_);
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return "";
    return FlashSettingsPathIn(Narrow(folder));
}

int CFlashSecuritySetup::ReadSetting() {
    path = GetSettingsPath();
    if (path.empty() || !IsFile(path)) return kFlashSettingUnknown;
    unique_file file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return kFlashSettingUnknown;
    std::string data;
    if (!ReadWholeFile(file.get(), data)) return kFlashSettingUnknown;
    file.reset();

    const FlashSettingBytes found = ReadFlashSettingBytes(data);
    allowOffset = found.allowOffset;
    alwaysOffset = found.alwaysOffset;
    allow = found.allow;
    always = found.always;
    read = 1;
    return FlashSettingOf(found);
}

int CFlashSecuritySetup::WriteSetting(int choice) {
    if (choice != kFlashAlwaysAllow && choice != kFlashAlwaysAsk && choice != kFlashAlwaysDeny) return 0;
    if (!read && ReadSetting() == kFlashSettingUnknown) return 0;
    BYTE allowByte = 0;
    BYTE alwaysByte = 0;
    if (!FlashChoiceBytes(FlashSettingBytes{allowOffset, alwaysOffset, allow, always}, choice, allowByte, alwaysByte))
        return 0;

    unique_file file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    // A file that shrank since it was read would grow by writing past its end; leave it alone.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || allowOffset >= size.QuadPart || alwaysOffset >= size.QuadPart) return 0;

    if (!WriteByteAt(file.get(), allowOffset, allowByte)) return 0;
    if (!WriteByteAt(file.get(), alwaysOffset, alwaysByte)) {
        WriteByteAt(file.get(), allowOffset, static_cast<BYTE>(allow));  // keep the pair consistent
        return 0;
    }
    return 1;
}

}  // namespace omni
