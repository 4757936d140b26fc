// The local content server that ctest starts for the tests that need one (tools/content_server.py),
// found through OMNI_CONTENT_SERVER, its state folder.
#pragma once

#include <string>
#include <vector>

namespace omni::test {

// Address of the server with its final "/", for a server URL; mode "" serves normally, or one of
// "nolength", "short", "slow", "huge" (see the script). "" when no server was started for this program.
std::string ContentServerUrl(const std::string& mode = "");

// The content root as a Windows path with its final backslash; "DLL\", "Z3OCX\", "Z4OCX\" and
// "Installer\" exist below it. Shared by every test program: use file names of your own.
std::string ContentRootFolder();

// A file below the content root, its folders created; the path as in a URL ("retrieve/DLL/a.txt").
bool PublishContent(const std::string& path, const std::string& bytes);
void WithdrawContent(const std::string& path);

// "<name>_<random>/": a scenario folder of this process alone, so that shards of one program, which
// run side by side, neither share files nor see each other's requests under it.
std::string ProcessScenario(const std::string& name);

// Every path requested so far, oldest first, as the client sent it (for example "/DLL/a.txt").
std::vector<std::string> ContentRequests();
int CountContentRequests(const std::string& path);

// The body of the last POST to a path ending in name, byte for byte, and its Content-Type; "" for none.
std::string ContentPostBody(const std::string& name);
std::string ContentPostType(const std::string& name);

}  // namespace omni::test
