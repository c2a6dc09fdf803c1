#pragma once
// Drawing the page and winding the paper in and out.
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

// How many frames the eject of a page of lineCount lines takes.
int ejectFrameCount(int lineCount);
