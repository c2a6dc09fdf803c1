#pragma once
// Where a screen-saver host names the window it wants the saver drawn into:
// XScreenSaver's XSCREENSAVER_WINDOW, or -window-id / --window-id on the
// command line (which wins, being the more deliberate of the two); and its
// --root, a run meant for its X screen. The X calls that check and adopt the
// window are the platform layer's.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct HostWindowRequest {
    bool named = false;  // a host window was asked for
    std::string source;  // where: the switch or the variable, for messages
    std::string text;    // the id as given
};

// Reads a command line (program path first, as platformCommandLine gives it)
// and the value of XSCREENSAVER_WINDOW (nullptr when unset; empty counts as unset).
HostWindowRequest hostWindowRequest(const char* commandLine, const char* environmentValue);

// An X window id: decimal, or hexadecimal after 0x or 0X; nothing else around
// it, not 0, at most 32 bits.
std::optional<std::uint32_t> parseWindowId(std::string_view text);

// XScreenSaver's switch for a run on its X screen, --root or -root, among the
// words after the program path.
bool rootSwitchGiven(const char* commandLine);

// Looks once for a named host window and hands it to the platform layer.
// False, after a line on standard error, when the id is not a number or names
// no window; true otherwise (with or without a host window). Windows hosts
// never name one this way.
bool findHostWindow();
