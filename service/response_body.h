#pragma once
// A response body as its request's handler gathers it from the pieces the
// transfer hands over: one record per request, so that no handler can fill
// another request's buffer.
#include <cstddef>
#include <string>

struct ResponseBody {
    std::string bytes;      // what has arrived so far
    std::size_t limit;      // the most a usable answer may hold
    bool tooLarge = false;  // the answer tried to go past limit
};

// Appends the piece to body and returns its size, unless that would take the
// body past its limit: then tooLarge is set and 0 returned, which ends the
// transfer as failed.
std::size_t gatherPiece(ResponseBody& body, const char* piece, std::size_t bytes);

// How many bytes of a body its parser reads: those before the first NUL byte,
// or all of them when it holds none. The same cut for the feed and the bulletin.
std::size_t lengthBeforeNul(const char* body, std::size_t length);
