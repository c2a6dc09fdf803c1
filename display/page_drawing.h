#pragma once
// Drawing the page and winding the paper in and out.
#include <SDL_ttf.h>

#include <cstddef>
#include <optional>
#include <string>

// Leaves the rendered image of text in the display's line texture.
void renderLine(std::string text);
// Clears the screen and draws the paper and every line; does not present.
void drawPage();
// One presented frame of the page.
void drawFrame();
// The scroll a fresh sheet stops at: its top edge nine line pitches above the
// bottom edge of the screen, after the ten frames of the feed.
inline constexpr int freshSheetScrollLines = 9;

// One black frame: the window shows, with nothing on it.
void drawBlankFrame();
// Winds a new sheet in from the bottom edge: ten frames, the last one at
// freshSheetScrollLines.
void feedPaper();
// Winds the full sheet out over the top edge, then feeds the next one.
void ejectPage();
// Turns the page the moment its 49th line has been started.
void turnPageIfFull();

// How many characters of text, from its start, fit whole into width pixels in
// that font, as the font library measures them (characters that take no width
// all fit); nothing when the measure fails. Costs what fits, not what the text
// holds, however long it is.
std::optional<std::size_t> measuredFit(TTF_Font* font, const std::string& text, int width);
// The same, but never more than width, whatever the font library answers (a
// failed measure gives width, bounded by the text's length).
std::size_t charactersThatFit(TTF_Font* font, const std::string& text, int width);
// The part of a line that can show when it starts at x: everything up to and
// including the first character that reaches the window's right edge.
std::string visiblePart(const std::string& line, int x);

// Types the sentences onto a fresh sheet at full speed and with a steady hand
// (no odd capital, no dropped character) up to the last still frame the saver
// shows of the line numbered lineCount (at most linesPerPage): that line typed
// to its end, the next step still to end it. With 0, the fresh sheet itself.
// Nothing is drawn; the frame is drawPage's from here.
void typeSteadilyToStillFrame(int lineCount);

// How many frames the eject of a page of lineCount lines takes.
int ejectFrameCount(int lineCount);
