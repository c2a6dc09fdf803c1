#pragma once
// `tapwrite-feed check`: what every saver will do with a feed and a bulletin.
#include <string>

// Prints the report and returns the exit code (feedtool/exit_codes.h): clean,
// warnings, errors (a feed every saver ignores or loses), or the tool's own
// failure (a file it cannot read, the font). quiet prints only the problems.
// bulletin may be empty.
int checkFeed(const std::string& feed, const std::string& bulletin, bool quiet);
