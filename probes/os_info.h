// The Windows release this process runs on: OS code, name, service-pack texts and the WOW64 flag.
#pragma once

#include <string>

#include "probes/os_classification.h"

namespace omni {

class COsInfo {
public:
    virtual ~COsInfo() = default;

    // 0 when identified; -1 when the system gives no version information at all.
    int RetrieveOsInfo();

    std::string GetOsName() const;
    std::string GetServicePackText() const;
    std::string GetServicePackBuildText() const;

    int code = 0;
    int IsWow64 = 0;  // a 32-bit process on 64-bit Windows; only asked from NT 6.0 on

private:
    OsVersionRecord record_;
    std::string servicePackText_;
    std::string servicePackBuildText_;
};

// The system side of the identification, each part on its own so it can be checked on its own.
bool QueryOsVersion(OsVersionRecord& record);
OsRegistryFacts ReadOsRegistryFacts(const OsVersionRecord& record);
int QueryIsWow64();

}  // namespace omni
