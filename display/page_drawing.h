#pragma once
// Drawing the page and winding the paper in and out.
#include <SDL_ttf.h>

#include <cstddef>
#include <string>

// Leaves the rendered image of text in the display's line texture.
void renderLine(std::string text);
// Clears the screen and draws the paper and every line; does not present.
void drawPage();
// One presented frame of the page.
void drawFrame();
// Winds a new sheet in from the bottom edge: ten frames.
void feedPaper();
// Winds the full sheet out over the top edge, then feeds the next one.
void ejectPage();
// Turns the page the moment its 49th line has been started.
void turnPageIfFull();

// How many characters of text, from its start, fit whole into width pixels in
// that font. Costs what fits, not what the text holds, however long it is.
std::size_t charactersThatFit(TTF_Font* font, const std::string& text, int width);
// The part of a line that can show when it starts at x: everything up to and
// including the first character that reaches the window's right edge.
std::string visiblePart(const std::string& line, int x);

// How many frames the eject of a page of lineCount lines takes.
int ejectFrameCount(int lineCount);
