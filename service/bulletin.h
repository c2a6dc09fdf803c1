#pragma once
// The service bulletin: the current version of the program and a numbered message.
#include "service/response_body.h"

#include <cstddef>
#include <string>
#include <string_view>

struct ServiceBulletin {
    std::string version;
    std::string messageNum;
    std::string message;
};

extern ServiceBulletin serviceBulletin;

// Cuts a whole bulletin body into its fields: a 7-byte label, the version, one
// separator byte, "messageNum:", the number, one separator byte, "message:",
// the text. Only the bytes before the first NUL count. A field whose start lies
// beyond the end of the body keeps the value it had.
void parseBulletin(const char* body, std::size_t length, ServiceBulletin& bulletin);

// Where the two keys first stand in the bytes the parser reads (those before
// the first NUL); -1 for a key that is not there.
struct BulletinKeys {
    long long numberAt;
    long long messageAt;
};
BulletinKeys findBulletinKeys(std::string_view readable);

// The bulletin request's response handler: gathers the body piece by piece.
std::size_t getBulletin_cb(char* piece, std::size_t size, std::size_t count, void* user);

// The most a usable bulletin may hold: 64 KiB.
inline constexpr std::size_t bulletinBodyLimit = 64 * 1024;
// The bulletin request's body, filled by getBulletin_cb alone.
extern ResponseBody bulletinResponse;

// The keys that open the number and the message.
inline constexpr const char* messageNumKey = "messageNum:";
inline constexpr const char* messageKey = "message:";
