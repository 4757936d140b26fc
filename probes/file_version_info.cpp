#include "probes/file_version_info.h"

#include <cwchar>

#include "platform/text.h"

namespace omni {

namespace {
const wchar_t* const kStringNames[CFileVersionInfo::kStringCount] = {
    L"CompanyName",    L"FileDescription", L"FileVersion",     L"InternalName",
    L"LegalCopyRight", L"OriginalFileName", L"ProductName",    L"ProductVersion",
    L"Comments",       L"LegalTrademarks", L"PrivateBuild",    L"SpecialBuild",
};
}  // namespace

bool ReadVersionResource(const std::string& path, std::vector<BYTE>& resource) {
    resource.clear();
    std::wstring wide = Widen(path);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &handle);
    if (size == 0) return false;
    resource.assign(size, 0);
    if (!GetFileVersionInfoW(wide.c_str(), 0, size, resource.data())) {
        resource.clear();
        return false;
    }
    return true;
}

bool QueryFixedFileInfo(const std::vector<BYTE>& resource, VS_FIXEDFILEINFO& fixed) {
    void* block = nullptr;
    UINT length = 0;
    if (resource.empty() || !VerQueryValueW(resource.data(), L"\\", &block, &length) || !block ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    fixed = *static_cast<const VS_FIXEDFILEINFO*>(block);
    return true;
}

CFileVersionInfo::~CFileVersionInfo() = default;

bool CFileVersionInfo::Open(const std::string& path) {
    Close();
    std::vector<BYTE> resource;
    if (!ReadVersionResource(path, resource)) return false;
    VS_FIXEDFILEINFO fixed{};
    if (!QueryFixedFileInfo(resource, fixed)) return false;
    void* block = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(resource.data(), L"\\VarFileInfo\\Translation", &block, &length) || !block ||
        length < 2 * sizeof(WORD)) {
        return false;
    }
    const WORD* translation = static_cast<const WORD*>(block);
    language_ = translation[0];
    codePage_ = translation[1];
    fixed_ = fixed;
    resource_ = std::move(resource);
    path_ = path;
    return true;
}

std::string CFileVersionInfo::GetString(int index) const {
    if (index < 0 || index >= kStringCount || !IsOpen()) return std::string();
    wchar_t subBlock[128] = {};  // the last one stays the terminator
    _snwprintf(subBlock, sizeof(subBlock) / sizeof(subBlock[0]) - 1, L"\\StringFileInfo\\%04x%04x\\%ls", language_,
             codePage_, kStringNames[index]);
    void* block = nullptr;
    UINT length = 0;
    // VerQueryValueW does not write into the block for string lookups.
    if (!VerQueryValueW(const_cast<BYTE*>(resource_.data()), subBlock, &block, &length) || !block) {
        return std::string();
    }
    const wchar_t* text = static_cast<const wchar_t*>(block);
    size_t n = 0;
    while (n < length && text[n] != L'\0') ++n;
    return Narrow(text, n);
}

std::string CFileVersionInfo::GetCompanyName() const { return GetString(kCompanyName); }

std::string CFileVersionInfo::GetFileDescription() const { return GetString(kFileDescription); }

void CFileVersionInfo::Close() {
    resource_.clear();
    resource_.shrink_to_fit();
    fixed_ = VS_FIXEDFILEINFO{};
    language_ = 0;
    codePage_ = 0;
    path_.clear();
}

}  // namespace omni
