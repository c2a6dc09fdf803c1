#include "service/bulletin.h"

#include "service/response_body.h"

#include <cstring>
#include <string_view>

ServiceBulletin serviceBulletin;
ResponseBody bulletinResponse{{}, bulletinBodyLimit};

namespace {
// Position of the first occurrence of key, or -1.
long long find(std::string_view body, std::string_view key)
{
    std::size_t at = body.find(key);
    return at == std::string_view::npos ? -1 : static_cast<long long>(at);
}

// The bytes from start on, length of them, or all the rest when length is
// negative; never past the end. False when start lies beyond the end.
bool cut(std::string_view body, long long start, long long length, std::string& field)
{
    const long long size = static_cast<long long>(body.size());
    if (start < 0 || start > size)
        return false;
    if (length < 0 || length > size - start)
        length = size - start;
    field.assign(body.data() + start, static_cast<std::size_t>(length));
    return true;
}
}

void parseBulletin(const char* body, std::size_t length, ServiceBulletin& bulletin)
{
    if (length > 0) {
        if (const void* nul = std::memchr(body, '\0', length))
            length = static_cast<std::size_t>(static_cast<const char*>(nul) - body);
    }
    const std::string_view text(length > 0 ? body : "", length);
    const long long numberAt = find(text, messageNumKey);
    const long long messageAt = find(text, messageKey);

    cut(text, 7, numberAt - 8, bulletin.version);
    const long long numberStart = numberAt + 11;
    cut(text, numberStart, messageAt - numberStart - 1, bulletin.messageNum);
    cut(text, messageAt + 8, -1, bulletin.message);
}

std::size_t getBulletin_cb(char* piece, std::size_t size, std::size_t count, void*)
{
    return gatherPiece(bulletinResponse, piece, size * count);
}
