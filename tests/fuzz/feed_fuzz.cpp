// The feed parser on any bytes: never reads outside the body, never keeps a CR
// or a NUL in an entry, and gives the same entries however the body is split.
#include "service/text_feed.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* body = reinterpret_cast<const char*>(data);
    std::vector<std::string> whole = parseTextFeed(body, size);
    if (whole.empty())
        std::abort();
    for (const std::string& entry : whole)
        if (entry.size() > size || entry.find('\r') != std::string::npos || entry.find('\0') != std::string::npos)
            std::abort();

    // Each line the walker reports stands in the body where it says.
    forEachFeedLine(body, size, [&](const FeedLine& line) {
        if (line.offset > size || line.bytes.size() > size - line.offset
            || std::memcmp(body + line.offset, line.bytes.data(), line.bytes.size()) != 0)
            std::abort();
    });

    // Gathered in two pieces at a split taken from the body itself.
    const std::size_t cut = size ? data[0] % (size + 1) : 0;
    feedResponse.bytes.clear();
    feedResponse.tooLarge = false;
    std::string first(body, cut), second(body + cut, size - cut);
    getssText_cb(first.data(), 1, first.size(), nullptr);
    getssText_cb(second.data(), 1, second.size(), nullptr);
    if (parseTextFeed(feedResponse.bytes.data(), feedResponse.bytes.size()) != whole)
        std::abort();
    return 0;
}
