#include "service/response_body.h"

std::size_t gatherPiece(std::string& body, bool& tooLarge, std::size_t limit, const char* piece, std::size_t bytes)
{
    if (body.size() + bytes > limit) {
        tooLarge = true;
        return 0;
    }
    body.append(piece, bytes);
    return bytes;
}
