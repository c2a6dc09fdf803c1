#pragma once
// The page geometry, derived once from the desktop size.
#include <SDL.h>

struct PageLayout {
    int screenWidth = 0;
    int screenHeight = 0;
    double paperWidth = 0;
    double paperHeight = 0;
    double paperX = 0;
    double paperBaseY = 0;
    double lineHeight = 0;
    double textX = 0;
    double fontSize = 0;
    SDL_Rect paperRect{0, 0, 0, 0};
};

extern PageLayout pageLayout;

// A page holds 48 typed lines: the paper carries that many line pitches, and
// the sheet is turned when the 49th line is started.
inline constexpr int linesPerPage = 48;

// The layout of a desktop of the given size; paperRect.y is left at 0.
PageLayout computePageLayout(int screenWidth, int screenHeight);

// Placement on the scrolling paper, every result truncated toward zero.
int paperTopFor(const PageLayout& layout, int scrollLines);
int firstLineTop(const PageLayout& layout, int paperTop);
int nextLineTop(const PageLayout& layout, int lineTop);
// The point size the font is opened at, never below 1.
int fontPointSize(const PageLayout& layout);
