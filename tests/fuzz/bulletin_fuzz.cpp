// The bulletin parser on any bytes: every field is a piece of the body, or
// kept as it was when the body is too short to place it.
#include "service/bulletin.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
bool pieceOf(std::string_view body, const std::string& field, const char* kept)
{
    return field == kept || body.find(field) != std::string_view::npos;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* body = reinterpret_cast<const char*>(data);
    ServiceBulletin b{"\x01kept", "\x02kept", "\x03kept"};
    parseBulletin(body, size, b);
    std::string_view text(body, size);
    if (!pieceOf(text, b.version, "\x01kept") || !pieceOf(text, b.messageNum, "\x02kept")
        || !pieceOf(text, b.message, "\x03kept"))
        std::abort();
    if (b.version.size() + 7 > size && b.version != "\x01kept" && !b.version.empty())
        std::abort();
    return 0;
}
