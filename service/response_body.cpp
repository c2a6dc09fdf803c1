#include "service/response_body.h"

#include <cstring>

std::size_t gatherPiece(ResponseBody& body, const char* piece, std::size_t bytes)
{
    if (body.bytes.size() + bytes > body.limit) {
        body.tooLarge = true;
        return 0;
    }
    body.bytes.append(piece, bytes);
    return bytes;
}

std::size_t lengthBeforeNul(const char* body, std::size_t length)
{
    if (length == 0)
        return 0;
    const void* nul = std::memchr(body, '\0', length);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - body) : length;
}
