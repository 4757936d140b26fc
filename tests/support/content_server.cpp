#include "tests/support/content_server.h"

#include <algorithm>
#include <cstdlib>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {

// ctest gives Unix paths; Wine shows the Unix root as drive Z:.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string StateFile(const char* name) {
    const char* state = std::getenv("OMNI_CONTENT_SERVER");
    return state && *state ? WindowsPath(std::string(state) + "/" + name) : std::string();
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

std::string ContentFile(const std::string& path) { return ContentRootFolder() + WindowsPath(path); }

}  // namespace

std::string ContentServerUrl(const std::string& mode) {
    std::string port = FirstLine(ReadBytes(StateFile("port")));
    if (port.empty()) return std::string();
    return "http://127.0.0.1:" + port + "/" + (mode.empty() ? "" : mode + "/");
}

std::string ContentRootFolder() {
    std::string root = FirstLine(ReadBytes(StateFile("root")));
    return root.empty() ? root : WindowsPath(root) + "\\";
}

bool PublishContent(const std::string& path, const std::string& bytes) {
    std::string file = ContentFile(path);
    int status = SHCreateDirectoryExW(nullptr, Widen(file.substr(0, file.rfind('\\'))).c_str(), nullptr);
    if (status != ERROR_SUCCESS && status != ERROR_ALREADY_EXISTS) return false;
    WriteBytes(file, bytes);
    return ReadBytes(file) == bytes;
}

void WithdrawContent(const std::string& path) { DeleteFileW(Widen(ContentFile(path)).c_str()); }

std::string ProcessScenario(const std::string& name) {
    // Not the process id: shards run in prefixes of their own, and each wineserver counts from the start.
    static const std::string process = [] {
        GUID guid = {};
        CoCreateGuid(&guid);
        return Format("%08lx", static_cast<unsigned long>(guid.Data1));
    }();
    return name + "_" + process + "/";
}

std::vector<std::string> ContentRequests() {
    std::vector<std::string> paths;
    std::string log = ReadBytes(StateFile("requests.log"));
    for (size_t start = 0, end; start < log.size(); start = end + 1) {
        end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        if (end > start) paths.push_back(log.substr(start, end - start));
    }
    return paths;
}

int CountContentRequests(const std::string& path) {
    std::vector<std::string> paths = ContentRequests();
    return static_cast<int>(std::count(paths.begin(), paths.end(), path));
}

std::string ContentPostBody(const std::string& name) { return ReadBytes(StateFile(("posts/" + name).c_str())); }

std::string ContentPostType(const std::string& name) {
    return ReadBytes(StateFile(("posts/" + name + ".type").c_str()));
}

}  // namespace omni::test
