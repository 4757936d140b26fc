// Reads the version resource of a file: the fixed block and the strings of its first translation.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace omni {

class CFileVersionInfo {
public:
    // Indexes into the string-name table for GetString.
    enum StringIndex {
        kCompanyName = 0,
        kFileDescription,
        kFileVersion,
        kInternalName,
        kLegalCopyRight,
        kOriginalFileName,
        kProductName,
        kProductVersion,
        kComments,
        kLegalTrademarks,
        kPrivateBuild,
        kSpecialBuild,
        kStringCount
    };

    virtual ~CFileVersionInfo();

    // True when the file has a version resource with a fixed block and a translation table;
    // otherwise the object holds nothing.
    bool Open(const std::string& path);
    // "" when the index is outside the table, the object is not open or the string is absent.
    std::string GetString(int index) const;
    std::string GetCompanyName() const;
    std::string GetFileDescription() const;
    void Close();

    bool IsOpen() const { return !resource_.empty(); }
    const std::string& path() const { return path_; }
    const VS_FIXEDFILEINFO& fixed() const { return fixed_; }
    WORD language() const { return language_; }
    WORD codePage() const { return codePage_; }

private:
    std::string path_;
    std::vector<BYTE> resource_;
    VS_FIXEDFILEINFO fixed_{};
    WORD language_ = 0;
    WORD codePage_ = 0;
};

// The whole version resource of a file; false (and empty) when it has none or cannot be read.
bool ReadVersionResource(const std::string& path, std::vector<BYTE>& resource);
// The root fixed-information block of a resource read by ReadVersionResource.
bool QueryFixedFileInfo(const std::vector<BYTE>& resource, VS_FIXEDFILEINFO& fixed);

}  // namespace omni
