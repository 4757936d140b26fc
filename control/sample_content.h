// ShowSampleContent: the maker's viewer under the local base folder, or the sample page in web mode.
#pragma once

#include <string>

#include "control/browser_window.h"

namespace omni {

// Windows Vista and later have OS code 23 and above.
inline constexpr int kFirstVistaOsCode = 23;

// "<local base>Z3Sample\viewer.exe" for generation 3, "...Z4Sample\viewer.exe" for any other value.
std::string ViewerPath(const std::string& localBaseFolder, long zentraVersion);
// The path as a command line: quoted, so that a folder with a blank (Program Files) never makes the
// system try a shorter program name first.
std::string QuotedCommandLine(const std::string& programPath);
// The sample page of the generation and its window size for this OS; generation 4 has its own page,
// every other value gets generation 3's.
BrowserWindowRequest SamplePageWindow(int osCode, long zentraVersion, const std::string& z4Url, const std::string& z3Url);

class CSampleContent {
public:
    virtual ~CSampleContent() = default;
    // 0; -93 after telling the user, when the local viewer cannot be started; -31 in web mode when no
    // http or https sample page is known (no Retrieve yet, or its ServerURL was none). osCode 0: not known yet.
    int Show(long zentraVersion, int osCode);
};

}  // namespace omni
