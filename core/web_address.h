// The schemes the control fetches from, posts to and opens in a browser: http and https only. A page
// chooses these addresses, and any other scheme (file:, a \\host\share path, res:, javascript:) would
// reach the user's files, send the user's network credentials or run script outside the page.
#pragma once

#include <string>

namespace omni {

// True for "http://" or "https://" (any letter case) followed by a host, with no control character
// anywhere: nothing is trimmed or guessed, as a page's address may not rely on the browser's repairs.
bool IsWebAddress(const std::string& url);

}  // namespace omni
