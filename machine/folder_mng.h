// Every folder and server path the installation services use, with the install mode and the server
// address they derive from. Each control object has its own; a call of that object sees it through
// GetFolderMng(), so what one object set never steers another object's fetches or repairs.
#pragma once

#include <string>

#include "machine/folder_layout.h"

namespace omni {

class CFolderMng {
public:
    CFolderMng();
    virtual ~CFolderMng();

    // The install mode that Init computes the folders for (the object's InstallMode).
    void SetInstallMode(int installMode);
    int GetInstallMode() const;
    // Reads the machine and computes every folder for the install mode; creates the user's component
    // folders. 0, -1 (no OS version) or -51 (no system folder).
    int Init();
    // Whether Init has succeeded: before, there is no folder to fetch into or install from.
    bool IsReady() const;
    // For the Windows 95/98/Me family: Z4 controls come from their own "98" folder.
    void SwitchZ4To98();
    // Web mode: the folder of the object's own that holds its four list files.
    void SetListFolder(const std::string& folder);

    // The server and sample-page addresses that the object's last Retrieve published.
    void SetServerUrl(const std::string& url);
    std::string GetServerUrl() const;
    void SetSamplePages(const std::string& z4Url, const std::string& z3Url);
    std::string GetSampleZ4Url() const;
    std::string GetSampleZ3Url() const;

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
    std::string sampleZ4Url_;
    std::string sampleZ3Url_;
    FolderLayout layout_;
    int installMode_;  // the mode the folders are computed for
    bool ready_ = false;
};

// The folders of the control object whose call is running; the module's own outside any such call (the
// console host, the tests).
CFolderMng& GetFolderMng();

// While it lives, GetFolderMng() answers folders. Calls nest as modal loops do (a page's timer may call
// another object inside this one's dialog), and each scope puts back the one it replaced.
class ActiveFolders {
public:
    explicit ActiveFolders(CFolderMng& folders);
    ~ActiveFolders();
    ActiveFolders(const ActiveFolders&) = delete;
    ActiveFolders& operator=(const ActiveFolders&) = delete;

private:
    CFolderMng* previous_;
};

// Set by Init on Windows NT 6.0; every new control object clears it.
bool GetNt60FolderFlag();
void ClearNt60FolderFlag();

}  // namespace omni
