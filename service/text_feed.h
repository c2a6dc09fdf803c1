#pragma once
// The text feed: the sentences the saver types, one per line of the body.
#include <cstddef>
#include <string>
#include <vector>

// Cuts a whole feed body into entries: lines end at CR plus the byte after it,
// lines starting with "123" or "x" are hidden, and what follows the last line
// end is one more entry. Only the bytes before the first NUL count.
std::vector<std::string> parseTextFeed(const char* body, std::size_t length);

// True when at least one entry holds a byte: otherwise there is nothing to type.
bool feedHasText(const std::vector<std::string>& entries);

// The feed request's response handler: gathers the body piece by piece.
std::size_t getssText_cb(char* piece, std::size_t size, std::size_t count, void* user);

// The body gathered so far and whether it outgrew its cap.
extern std::string feedBody;
extern bool feedBodyTooLarge;
inline constexpr std::size_t feedBodyLimit = 1024 * 1024;
