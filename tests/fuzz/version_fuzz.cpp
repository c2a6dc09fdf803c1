// The version compare on any two texts: never newer than itself, never newer
// both ways, and trailing line ends do not change the answer.
#include "service/version_notice.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t bar = text.find('|');
    std::string a = text.substr(0, bar);
    std::string b = bar == std::string::npos ? localVersion : text.substr(bar + 1);
    if (isNewerVersion(a, a) || (isNewerVersion(a, b) && isNewerVersion(b, a)))
        std::abort();
    if (isNewerVersion(a, b) != isNewerVersion(a, b + "\r\n"))
        std::abort();
    return 0;
}
