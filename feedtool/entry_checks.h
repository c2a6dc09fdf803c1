#pragma once
// The checks of one typed entry: how the saver's font and screens show it.
#include "feedtool/report.h"

#include <SDL_ttf.h>

#include <string_view>
#include <vector>

// The saver's font as opened for one of the screens every line is measured on.
struct MeasuredScreen {
    std::string name; // "1366x768"
    TTF_Font* font;
    int width;        // from the left margin to the paper's right edge
};

// Opens the font for each measured screen; empty, with nothing left open,
// when the font cannot be opened.
std::vector<MeasuredScreen> openMeasuredScreens();
void closeMeasuredScreens(std::vector<MeasuredScreen>& screens);

// True when the bytes hold a well-formed UTF-8 sequence of two to four bytes:
// text saved as UTF-8, which the saver shows byte by byte.
bool holdsUtf8(std::string_view bytes);

// UTF-8 text, characters the font lacks, and the paper's edge.
void checkEntryText(std::string_view entry, const Place& place, const std::vector<MeasuredScreen>& screens,
    Report& report);
