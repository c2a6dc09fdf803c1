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
    if (length > 0) {
        if (const void* nul = std::memchr(body, '\0', length))
            length = static_cast<std::size_t>(static_cast<const char*>(nul) - body);
    }
    std::size_t start = 0;
    while (const void* cr = length > start ? std::memchr(body + start, '\r', length - start) : nullptr) {
        const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(cr) - body);
        const std::string_view line(body + start, end - start);
        visit(FeedLine{start, line, isHiddenLine(line), false});
        // The byte after the CR goes with it, whatever it is. A CR at the very
        // end has no such byte and leaves an empty remainder, as CR LF would.
        start = end + 2 <= length ? end + 2 : length;
    }
    visit(FeedLine{start, std::string_view(length > start ? body + start : "", length - start), false, true});
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
