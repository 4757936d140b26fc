// Where the installation services find and put components, computed from a few facts about the
// machine and the install mode. Pure: CFolderMng gathers the facts and creates the directories.
#pragma once

#include <string>
#include <vector>

namespace omni {

// Folder and file names as the server and the installed product spell them.
inline constexpr char kMakerFolderName[] = "Orvane Zentra";
inline constexpr char kUserZ4FolderName[] = "Orvane Zentra\\ocx4\\";
inline constexpr char kUserZ3FolderName[] = "Orvane Zentra\\ocx\\";
inline constexpr char kDllSourceName[] = "DLL\\";
inline constexpr char kZ4SourceName[] = "Z4OCX\\";
inline constexpr char kZ4LegacySourceName[] = "Z4OCX\\98\\";
inline constexpr char kZ3SourceName[] = "Z3OCX\\";
inline constexpr char kInstallerSourceName[] = "Installer\\";
inline constexpr char kZ4UrlPart[] = "Z4OCX/";
inline constexpr char kZ4LegacyUrlPart[] = "Z4OCX/98/";
inline constexpr char kZ3UrlPart[] = "Z3OCX/";
inline constexpr char kOcxListZ4FileName[] = "ocxlistz4.txt";
inline constexpr char kOcxListZ3FileName[] = "ocxlistz3.txt";

// What the folder set-up reads from the machine.
struct FolderFacts {
    unsigned long osMajor = 0;
    unsigned long osMinor = 0;
    std::string tempFolder;    // long form
    std::string systemFolder;  // the Windows system folder
    bool appDataKnown = false; // the shell answered the roaming application-data folder
    std::string appDataFolder;
    std::string executablePath;  // of the program that started the hosting process
};

// Every folder ends with a backslash unless it is empty.
struct FolderLayout {
    std::string userBase;
    std::string userZ4;
    std::string userZ3;
    std::string temp;
    std::string system;
    std::string localBase;
    std::string dllSource;
    std::string z4Source;
    std::string z3Source;
    std::string installerSource;
    std::string z4UrlPart;
    std::string z3UrlPart;
};

struct FolderPlan {
    FolderLayout layout;
    std::vector<std::string> directoriesToCreate;  // in creation order; failures do not matter
    bool nt60 = false;  // Windows NT 6.0: the user base folder is left to the system
};

std::string WithBackslash(const std::string& folder);  // "" stays ""
std::string DriveAndDirectoryOf(const std::string& path);  // up to and including the last separator

FolderPlan PlanFolders(const FolderFacts& facts, int installMode);

// The Windows 95/98/Me variant of the Z4 controls; recomputed from the local base folder, so
// applying it again changes nothing.
void ApplyLegacyZ4Variant(FolderLayout& layout, int installMode);

}  // namespace omni
