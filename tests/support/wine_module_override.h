// Under Wine, a file named like one of Wine's own programs (wmplayer.exe) is replaced by Wine's
// builtin even when its version resource is read by full path. This marks such a name "native"
// for the running process, so the copy a test puts in place is the one that gets read.
// Does nothing on Windows. Writes the real HKCU: create it outside a RegistrySandbox.
#pragma once

#include <string>

namespace omni::test {

class WineNativeModule {
public:
    explicit WineNativeModule(const std::string& moduleName);
    ~WineNativeModule();
    WineNativeModule(const WineNativeModule&) = delete;
    WineNativeModule& operator=(const WineNativeModule&) = delete;

private:
    std::string name_;
    bool added_ = false;
};

bool RunningUnderWine();

}  // namespace omni::test
