// What one control object keeps between calls, and the rules for its properties.
#pragma once

#include <memory>
#include <string>

#include "machine/folder_mng.h"
#include "machine/private_folder.h"

namespace omni {

struct ControlState {
    std::string serverUrl;
    std::string mailAddr;
    long installMode = 0;
    std::string lang = "kor";
    // Set until window creation has set up the folders, so that a Retrieve without a window never
    // runs on folders nobody computed.
    bool initFailed = true;
    // Whether the window's set-up has run. A page that the host policy refuses at window creation
    // gets it at its first allowed call, so a refused page changes nothing outside its own object.
    bool setUp = false;
    int folderSetup = 0;
    bool listsDownloaded = false;
    // The object's install mode, server address and folders; its calls see them through GetFolderMng().
    CFolderMng folders;
    // Web mode: where the object's four list files lie, from their first fetch until the object goes.
    std::shared_ptr<PrivateFolder> listFolder;
};

// The script may choose web or local mode only; 2 comes from a PARAM or not at all. False: ignored.
bool AcceptScriptInstallMode(long value);
// After loading: a mode outside 0..2 becomes 0.
long NormalisedInstallMode(long value);

// The Lang property's language for the catalogue, thread locale and thread UI language.
void ApplyLanguage(const std::string& lang);

// The window's set-up: language (the thread's), install mode and folders (those GetFolderMng() answers:
// the object's own while its call runs), administrator flag (the module's). Records the folder set-up's
// code and clears initFailed only when it succeeded.
void SetUpOnWindowCreation(ControlState& state);

}  // namespace omni
