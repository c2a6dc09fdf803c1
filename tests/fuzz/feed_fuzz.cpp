// The feed parser on any bytes: never reads outside the body, never keeps a CR
// or a NUL in an entry, reports lines that tile the body with every byte it
// drops and why, and gives the same entries however the body is split.
#include "service/text_feed.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
// The bytes the walker says it dropped after a line are what it says they are.
bool droppedAsSaid(const std::uint8_t* data, std::size_t size, const FeedLine& line)
{
    const std::size_t end = line.offset + line.bytes.size();
    const std::size_t dropped = line.next - end;
    const bool cr = dropped > 0 && data[end] == '\r';
    switch (line.end) {
    case FeedLineEnd::CrLf:
        return dropped == 2 && cr && data[end + 1] == '\n';
    case FeedLineEnd::CrAndByte:
        return dropped == 2 && cr && data[end + 1] != '\n';
    case FeedLineEnd::CrAtEnd:
        return dropped == 1 && cr;
    case FeedLineEnd::BodyEnd:
        return dropped == 0 && line.next == size;
    case FeedLineEnd::Nul:
        return dropped > 0 && data[end] == '\0' && line.next == size;
    }
    return false;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* body = reinterpret_cast<const char*>(data);
    std::vector<std::string> whole = parseTextFeed(body, size);
    if (whole.empty())
        std::abort();
    for (const std::string& entry : whole)
        if (entry.size() > size || entry.find('\r') != std::string::npos || entry.find('\0') != std::string::npos)
            std::abort();

    // The lines the walker reports tile the body: each starts where the one
    // before it ended, past the bytes it dropped, so offsets rise; only the
    // remainder, last, ends at the body's end; no line holds a CR or a NUL.
    std::size_t expectedOffset = 0;
    bool ended = false;
    forEachFeedLine(body, size, [&](const FeedLine& line) {
        const std::size_t end = line.offset + line.bytes.size();
        const bool remainderEnd = line.end == FeedLineEnd::BodyEnd || line.end == FeedLineEnd::Nul;
        if (ended || line.offset != expectedOffset || end > size || line.next < end || line.next > size
            || line.remainder != remainderEnd || (line.remainder && line.hidden)
            || (!line.remainder && line.next <= line.offset))
            std::abort();
        if (line.bytes.find('\r') != std::string_view::npos || line.bytes.find('\0') != std::string_view::npos
            || !droppedAsSaid(data, size, line))
            std::abort();
        expectedOffset = line.next;
        ended = line.remainder;
    });
    if (!ended || expectedOffset != size)
        std::abort();

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
