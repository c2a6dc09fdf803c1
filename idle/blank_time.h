#pragma once
// A time after which the session blanks, locks or turns the screen off, as
// one of its settings gives it, named in the lines the companion prints.

struct BlankTime {
    // Whole seconds; 0 when the setting says never or the session has none.
    long long seconds = 0;
    // Whose time it is ("GNOME's blank time") and what sets it.
    const char* whose = "";
    const char* setting = "";
};
