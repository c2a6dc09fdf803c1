#pragma once
// Line-oriented diagnostic trace. Off by default and attached to nothing, so a
// normal run writes nothing; a build configured with TAPWRITE_TRACE_FILE turns
// it on and appends to that file.
#include <fstream>
#include <string>

extern bool traceEnabled;
extern std::ofstream traceStream;

// Writes text and a line break, then flushes; does nothing while tracing is off.
void trace(std::string text);
// A number as its own line, in plain decimal.
void trace(long long number);
// Flushes and closes the stream; a failed close sets the stream's fail bit.
void closeTrace();
