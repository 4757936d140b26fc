// A fresh folder under the temporary folder, removed with everything in it afterwards.
#pragma once

#include <string>

namespace omni::test {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }  // UTF-8, no trailing backslash
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // "" when missing
bool FileExists(const std::string& path);

// Folder of the running test program: the build puts tarrow.exe and the fixtures there.
std::string TestBinFolder();

}  // namespace omni::test
