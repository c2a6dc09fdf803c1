#pragma once
// The few operating-system calls the saver needs. Windows gets the real calls;
// POSIX gets stand-ins that behave the way the rest of the program expects.
#include <cstdint>

// A window handle as a plain 64-bit value (an HWND on Windows).
using WindowHandle = std::int64_t;

// The process command line, program path first (GetCommandLineA).
const char* platformCommandLine();
// The foreground window (GetForegroundWindow); 0 where there is none.
WindowHandle platformForegroundWindow();
// A modal information box with no owner (MessageBoxA, type 0x40). Blocks until
// the user closes it.
void platformInformationBox(const char* text, const char* caption);
// Empties the thread's Windows message queue once, dispatching what it finds.
// Returns true when a quit message was found (the rest stays queued).
bool platformDrainMessages();

// POSIX only: builds the command line from argv, the way Windows would show it.
void platformSetArguments(int argc, char** argv);
// Tests: replaces the command line with the given text (nullptr restores argv's).
void platformSetCommandLineForTest(const char* commandLine);
