// Per-user COM registration of the six controls the system knows: writes and deletes their keys
// under the current user's "Software\\Classes", and answers where a control's server file lives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace omni {

// The registration data of one control; only the folder changes after construction.
struct OcxRegistrationRecord {
    std::string fileName;
    std::string clsid;  // braced
    std::string folder;  // with a trailing backslash; empty until SetFolder
    std::string threadingModel;
    std::string miscStatus;
    std::string miscStatusContent;  // MiscStatus of aspect 1
    std::string progId;
    std::string typeLib;  // braced
    std::string version;
    std::string description;
};

class CUserModeOcxRegisterUtil {
public:
    CUserModeOcxRegisterUtil();
    virtual ~CUserModeOcxRegisterUtil();

    // The class identifier of the control in fileName (any letter case); empty outside the table.
    std::string GetClsidText(const std::string& fileName) const;
    // Remembers the folder (with its trailing backslash) the control's file was installed into.
    void SetFolder(const std::string& fileName, const std::string& folder);
    // 1 when every key and value was written; 0 at the first failing step or outside the table.
    int Register(const std::string& fileName);
    // 1 when both parent keys opened; 0 otherwise or outside the table (nothing is touched then).
    int Unregister(const std::string& fileName);
    // Folder of the registered in-process server, per user first, then per machine; "" when none.
    std::string GetRegisteredFolder(const std::string& fileName) const;

    // Registry primitives on the current user's hive.
    int EnsureKey(const std::string& parentPath, const std::string& childName);
    int SetStringValue(const std::string& keyPath, const std::string& valueName, const std::string& text);
    LONG DeleteKeyTree(HKEY parent, const std::string& childName);

private:
    const OcxRegistrationRecord* Find(const std::string& fileName) const;
    OcxRegistrationRecord* Find(const std::string& fileName);

    std::vector<OcxRegistrationRecord> records_;
};

// The one instance of the process.
CUserModeOcxRegisterUtil& GetUserModeOcxRegisterUtil();

}  // namespace omni
