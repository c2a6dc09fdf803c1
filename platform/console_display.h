#pragma once
// Windows tells a window the console display's state (GUID_CONSOLE_DISPLAY_STATE)
// in a power setting change: a POWERBROADCAST_SETTING, that is the setting's
// GUID (16 bytes), the data's length (32 bits, little-endian) and the data, a
// 32-bit state: 0 off, 1 on, 2 dimmed. Read from its bytes, so the same rule
// holds wherever it is built.
#include <cstddef>

// GUID_CONSOLE_DISPLAY_STATE as a GUID lies in memory.
extern const unsigned char consoleDisplayGuid[16];

enum class ConsoleDisplay { Off, On, Dimmed, NotTold };

// The state a setting change of that many bytes tells; NotTold for another
// setting, a state Windows does not name, or a change cut short.
ConsoleDisplay consoleDisplayIn(const unsigned char* setting, std::size_t length);
