#pragma once
// Decoding the screen-saver switches on the process command line.
#include "platform/platform.h"

#include <cstdint>

enum RunMode : std::int32_t {
    ModeNone = 0,
    ModeConfigure = 1,
    ModePassword = 2,
    ModePreview = 3,
    ModeRun = 4,
};

extern RunMode scrMode;
extern WindowHandle parentWindow;

// Reads the whole process command line (program path first) and returns the
// run mode; writes the window handle given after the switch, except for /s.
RunMode parseCommandLine(WindowHandle& parentWindow);

// The position just behind the program path that starts a command line: past
// its closing quote when quoted, otherwise past the blank that ends it.
const char* skipProgramPath(const char* commandLine);

// The runtime's atoi over a bounded text: blanks, an optional sign, digits.
// Values beyond the int range stop at its limits instead of overflowing.
std::int32_t parseHandleNumber(const char* text);
