// Versions come from list files, the registry and file resources: any text must parse, keep its text,
// print back to the same four numbers, and compare as a total order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/version.h"

namespace {

void CheckParse(const std::string& text) {
    const omni::Version version(text);
    if (version.GetText() != text) abort();

    omni::Version assigned("1.2.3.4");
    assigned = text;
    if (assigned.major != version.major || assigned.minor != version.minor || assigned.build != version.build ||
        assigned.revision != version.revision || assigned.GetText() != text)
        abort();

    // Any character but digits and dots makes the whole value unknown.
    if (text.find_first_not_of("0123456789.") != std::string::npos &&
        (version.major | version.minor | version.build | version.revision) != 0)
        abort();

    // The four numbers printed as their unsigned parts read back the same, wrapped parts included.
    const std::string printed = std::to_string(static_cast<uint32_t>(version.major)) + "." +
                                std::to_string(static_cast<uint32_t>(version.minor)) + "." +
                                std::to_string(static_cast<uint32_t>(version.build)) + "." +
                                std::to_string(static_cast<uint32_t>(version.revision));
    const omni::Version reread(printed);
    if (reread.major != version.major || reread.minor != version.minor || reread.build != version.build ||
        reread.revision != version.revision)
        abort();
}

void CheckOrder(const omni::Version& a, const omni::Version& b) {
    if (a < a) abort();
    if (a < b && b < a) abort();
    if ((a >= b) == (a < b)) abort();
    const bool same = a.major == b.major && a.minor == b.minor && a.build == b.build && a.revision == b.revision;
    if (!same && !(a < b) && !(b < a)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckParse(input);

    // Three versions, split at the first two newlines, for the order.
    size_t first = input.find('\n');
    size_t second = first == std::string::npos ? std::string::npos : input.find('\n', first + 1);
    const omni::Version a(input.substr(0, first));
    const omni::Version b(first == std::string::npos ? "" : input.substr(first + 1, second - first - 1));
    const omni::Version c(second == std::string::npos ? "" : input.substr(second + 1));
    CheckOrder(a, b);
    CheckOrder(b, c);
    CheckOrder(a, c);
    if (a < b && b < c && !(a < c)) abort();
    if (a >= b && b >= c && !(a >= c)) abort();
    return 0;
}
