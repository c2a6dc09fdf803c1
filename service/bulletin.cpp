#include "service/bulletin.h"

#include "service/response_body.h"

ServiceBulletin serviceBulletin;
ResponseBody bulletinResponse{{}, bulletinBodyLimit};

namespace {
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

BulletinKeys findBulletinKeys(std::string_view readable)
{
    auto find = [&](std::string_view key) {
        const std::size_t at = readable.find(key);
        return at == std::string_view::npos ? -1 : static_cast<long long>(at);
    };
    return {find(messageNumKey), find(messageKey)};
}

void parseBulletin(const char* body, std::size_t length, ServiceBulletin& bulletin)
{
    length = lengthBeforeNul(body, length);
    const std::string_view text(length > 0 ? body : "", length);
    const BulletinKeys keys = findBulletinKeys(text);

    cut(text, 7, keys.numberAt - 8, bulletin.version);
    const long long numberStart = keys.numberAt + 11;
    cut(text, numberStart, keys.messageAt - numberStart - 1, bulletin.messageNum);
    cut(text, keys.messageAt + 8, -1, bulletin.message);
}

std::size_t getBulletin_cb(char* piece, std::size_t size, std::size_t count, void*)
{
    return gatherPiece(bulletinResponse, piece, size * count);
}
