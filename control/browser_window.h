// A new Internet Explorer window in a process of its own, sized and stripped of its bars, navigated
// once: the report post of SendInformation and the sample pages of web mode.
#pragma once

#include <string>

namespace omni {

struct BrowserWindowRequest {
    std::string url;
    int width = 0;
    int height = 0;
    bool post = false;
    std::string body;  // the bytes posted, when post is set
};

inline constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded\r\n";

// S_OK once navigation was asked for; a failed navigation is not reported by the browser either.
// E_INVALIDARG, and no window, for an address that is not http or https.
long OpenBrowserWindow(const BrowserWindowRequest& request);

}  // namespace omni
