#include "service/text_feed.h"

#include "diag/trace.h"

#include <cstring>

ResponseBody feedResponse{{}, feedBodyLimit};

namespace {
bool isHiddenLine(std::string_view line)
{
    if (!line.empty() && line[0] == 'x')
        return true;
    return line.size() >= 3 && line.substr(0, 3) == "123";
}
}

void forEachFeedLine(const char* body, std::size_t length, const std::function<void(const FeedLine&)>& visit)
{
    const std::size_t readable = lengthBeforeNul(body, length);
    std::size_t start = 0;
    while (const void* cr = readable > start ? std::memchr(body + start, '\r', readable - start) : nullptr) {
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - body);
        const std::string_view line(body + start, at - start);
        // The byte after the CR goes with it, whatever it is. A CR at the very
        // end has no such byte and leaves an empty remainder, as CR LF would.
        FeedLineEnd end = FeedLineEnd::CrAtEnd;
        if (at + 1 < readable)
            end = body[at + 1] == '\n' ? FeedLineEnd::CrLf : FeedLineEnd::CrAndByte;
        const std::size_t next = end == FeedLineEnd::CrAtEnd ? at + 1 : at + 2;
        visit(FeedLine{start, line, isHiddenLine(line), false, end, next});
        start = next;
    }
    const std::string_view rest(readable > start ? body + start : "", readable - start);
    const FeedLineEnd end = readable < length ? FeedLineEnd::Nul : FeedLineEnd::BodyEnd;
    visit(FeedLine{start, rest, false, true, end, length});
}

std::vector<std::string> parseTextFeed(const char* body, std::size_t length)
{
    std::vector<std::string> entries;
    forEachFeedLine(body, length, [&](const FeedLine& line) {
        if (!line.hidden)
            entries.emplace_back(line.bytes);
    });
    return entries;
}

bool feedHasText(const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries)
        if (!entry.empty())
            return true;
    return false;
}

std::size_t getssText_cb(char* piece, std::size_t size, std::size_t count, void*)
{
    trace("getssText_cb");
    return gatherPiece(feedResponse, piece, size * count);
}
