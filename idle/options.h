#pragma once
// The companion's command line: tapwrite-idle [--after SECONDS] [--saver PATH],
// or --help, or --version.
#include "idle/session/blank_time.h"

#include <optional>
#include <string>

struct CompanionOptions {
    // 0 when not given: the session's own time decides.
    int afterSeconds = 0;
    // Empty: the tapwrite beside the program, else the one on PATH.
    std::string saver;
    // Asked to print the usage or the version and end.
    bool help = false;
    bool version = false;
};

// The line that says how the program is called.
constexpr const char* companionUsage = "usage: tapwrite-idle [--after SECONDS] [--saver PATH] [--help] [--version]";

// The options, or nothing (with the reason in error) when the line is wrong.
std::optional<CompanionOptions> parseCompanionOptions(int argc, char** argv, std::string& error);
// The saver to start: the one chosen, the tapwrite beside this program, or
// "tapwrite" to be looked up on PATH.
std::string saverToStart(const CompanionOptions& options);
