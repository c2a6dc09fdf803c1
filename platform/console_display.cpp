#include "platform/console_display.h"

#include <cstdint>
#include <cstring>

// {6FE69556-704A-47A0-8F24-C28D936FDA47}: its first three fields little-endian.
const unsigned char consoleDisplayGuid[16] = {0x56, 0x95, 0xe6, 0x6f, 0x4a, 0x70, 0xa0, 0x47, 0x8f, 0x24, 0xc2,
    0x8d, 0x93, 0x6f, 0xda, 0x47};

namespace {
constexpr std::size_t guidBytes = sizeof consoleDisplayGuid;
constexpr std::size_t headerBytes = guidBytes + 4;

std::uint32_t littleEndian32(const unsigned char* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16
        | std::uint32_t(bytes[3]) << 24;
}
}

ConsoleDisplay consoleDisplayIn(const unsigned char* setting, std::size_t length)
{
    if (!setting || length < headerBytes + 4 || std::memcmp(setting, consoleDisplayGuid, guidBytes) != 0)
        return ConsoleDisplay::NotTold;
    const std::uint32_t dataLength = littleEndian32(setting + guidBytes);
    if (dataLength < 4 || dataLength > length - headerBytes)
        return ConsoleDisplay::NotTold;
    switch (littleEndian32(setting + headerBytes)) {
    case 0:
        return ConsoleDisplay::Off;
    case 1:
        return ConsoleDisplay::On;
    case 2:
        return ConsoleDisplay::Dimmed;
    default:
        return ConsoleDisplay::NotTold;
    }
}
