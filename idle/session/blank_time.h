#pragma once
// A time after which the session blanks, locks or turns the screen off, as
// one of its settings gives it, named in the lines the companion prints.

// The longest idle time, given or taken from the session: a day, far beyond
// any desk's blank time, and well inside the millisecond counts the sources
// take.
constexpr int longestAfter = 24 * 60 * 60;

struct BlankTime {
    // Whole seconds; 0 when the setting says never or the session has none.
    long long seconds = 0;
    // Whose time it is ("GNOME's blank time") and what sets it.
    const char* whose = "";
    const char* setting = "";
};
