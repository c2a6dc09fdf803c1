#pragma once
// The text feed: the sentences the saver types, one per line of the body.
#include "service/response_body.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a line of a feed body ends, and so which bytes the walker drops after it.
enum class FeedLineEnd {
    CrLf,      // a CR and its LF: both dropped, as a line end should be
    CrAndByte, // a CR and the byte after it, which is not an LF: that byte is lost
    CrAtEnd,   // a CR that is the body's last byte read: only the CR is dropped
    BodyEnd,   // the remainder, up to the end of the body: nothing dropped
    Nul,       // the remainder, up to a NUL: the NUL and everything after it dropped
};

// One line of a feed body as the saver cuts it. The lines tile the body: the
// first starts at 0, each next one at the previous one's next, and the last
// one's next is the body's length.
struct FeedLine {
    std::size_t offset;     // where its first byte stands in the body
    std::string_view bytes; // the line, without what ends it
    bool hidden;            // starts with "123" or "x": not typed
    bool remainder;         // what follows the last line end (never hidden)
    FeedLineEnd end;        // what ends it
    std::size_t next;       // where the walker goes on, past the bytes it dropped
};

// Walks a whole feed body line by line, in order, the way parseTextFeed cuts
// it: only the bytes before the first NUL count, and the remainder comes last
// (empty when the body ends with a line end). Every byte that is not part of
// a line is reported as dropped, by the line it ends.
void forEachFeedLine(const char* body, std::size_t length, const std::function<void(const FeedLine&)>& visit);

// Cuts a whole feed body into entries: lines end at CR plus the byte after it,
// lines starting with "123" or "x" are hidden, and what follows the last line
// end is one more entry. Only the bytes before the first NUL count.
std::vector<std::string> parseTextFeed(const char* body, std::size_t length);

// True when at least one entry holds a byte: otherwise there is nothing to type.
bool feedHasText(const std::vector<std::string>& entries);

// The feed request's response handler: gathers the body piece by piece.
std::size_t getssText_cb(char* piece, std::size_t size, std::size_t count, void* user);

// The most a usable feed may hold: 1 MiB.
inline constexpr std::size_t feedBodyLimit = 1024 * 1024;
// The feed request's body, filled by getssText_cb alone.
extern ResponseBody feedResponse;
