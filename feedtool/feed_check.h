#pragma once
// `tapwrite-feed check`: what every saver will do with a feed and a bulletin.
#include <string>

// Prints the report and returns the exit code: 0 clean, 1 with warnings, 2
// with errors (a feed every saver ignores or loses). quiet prints only the
// problems. bulletin may be empty.
int checkFeed(const std::string& feed, const std::string& bulletin, bool quiet);
