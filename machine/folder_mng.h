// The one process-wide folder manager: every folder and server path the installation services use.
#pragma once

#include <string>

#include "machine/folder_layout.h"

namespace omni {

class CFolderMng {
public:
    CFolderMng();
    virtual ~CFolderMng();

    // Reads the machine and computes every folder for the current install mode; creates the user's
    // component folders. 0, -1 (no OS version) or -51 (no system folder).
    int Init();
    // For the Windows 95/98/Me family: Z4 controls come from their own "98" folder.
    void SwitchZ4To98();

    void SetServerUrl(const std::string& url);
    std::string GetServerUrl() const;

    std::string GetOcxListZ4Path() const;
    std::string GetOcxListZ3Path() const;
    std::string GetZ4OcxFolder() const;
    std::string GetZ3OcxFolder() const;
    std::string GetDllFolder() const;
    std::string GetInstallerFolder() const;
    std::string GetTempFolder() const;
    std::string GetSystemFolder() const;
    std::string GetUserZ4Folder() const;
    std::string GetUserZ3Folder() const;
    std::string GetZ4UrlPart() const;
    std::string GetZ3UrlPart() const;
    std::string GetLocalBaseFolder() const;
    std::string GetUserBaseFolder() const;

private:
    std::string serverUrl_;
    FolderLayout layout_;
    int installMode_;  // the mode the folders were computed for
};

CFolderMng& GetFolderMng();

// Set by Init on Windows NT 6.0; every new control object clears it.
bool GetNt60FolderFlag();
void ClearNt60FolderFlag();

}  // namespace omni
