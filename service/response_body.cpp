#include "service/response_body.h"

std::size_t gatherPiece(ResponseBody& body, const char* piece, std::size_t bytes)
{
    if (body.bytes.size() + bytes > body.limit) {
        body.tooLarge = true;
        return 0;
    }
    body.bytes.append(piece, bytes);
    return bytes;
}
