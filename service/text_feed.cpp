#include "service/text_feed.h"

#include "diag/trace.h"
#include "service/response_body.h"

#include <cstring>

std::string feedBody;
bool feedBodyTooLarge = false;

namespace {
bool isHiddenLine(const char* line, std::size_t length)
{
    if (length >= 1 && line[0] == 'x')
        return true;
    return length >= 3 && std::memcmp(line, "123", 3) == 0;
}
}

std::vector<std::string> parseTextFeed(const char* body, std::size_t length)
{
    if (length == 0)
        return {std::string()};
    if (const void* nul = std::memchr(body, '\0', length))
        length = static_cast<std::size_t>(static_cast<const char*>(nul) - body);

    std::vector<std::string> entries;
    std::size_t start = 0;
    while (const void* cr = std::memchr(body + start, '\r', length - start)) {
        const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(cr) - body);
        if (!isHiddenLine(body + start, end - start))
            entries.emplace_back(body + start, end - start);
        // The byte after the CR goes with it, whatever it is. A CR at the very
        // end has no such byte and leaves an empty remainder, as CR LF would.
        start = end + 2 <= length ? end + 2 : length;
    }
    entries.emplace_back(body + start, length - start);
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
    return gatherPiece(feedBody, feedBodyTooLarge, feedBodyLimit, piece, size * count);
}
