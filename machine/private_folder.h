// A folder of its own under the user's temporary folder for one downloaded file, with a name no page can
// predict, so that nothing another download or another page left there lies beside that file (an
// installer loads DLLs from its own folder first). It goes, with everything in it, with the object.
#pragma once

#include <string>

namespace omni {

class PrivateFolder {
public:
    PrivateFolder() = default;
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // Creates "<tempFolder>omni-dl-<32 random hexadecimal digits>\"; false when it could not. On Vista and
    // later only the creator's owner (the Administrators group under an elevated browser), the system and
    // the Administrators group may open it.
    bool Create(const std::string& tempFolder);
    // With its final backslash; "" before Create succeeded and after Remove.
    const std::string& path() const { return path_; }
    // Removes what is in it and the folder itself; links inside are removed, never followed. What the
    // system still holds open (an installer's child that runs on) stays.
    void Remove();

private:
    std::string path_;
};

// 16 random bytes as 32 lower-case hexadecimal digits, from the system's random source; "" when it fails.
std::string RandomHexName();

}  // namespace omni
