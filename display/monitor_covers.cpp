#include "display/monitor_covers.h"

#include "display/display_setup.h"
#include "platform/platform.h"

#include <cstddef>

std::vector<SDL_Window*> coverWindows;

namespace {
std::vector<SDL_Rect> coveredAreas;

void paintBlack(SDL_Window* window)
{
    // A plain window surface: no renderer and no GL context for a black screen.
    if (SDL_Surface* surface = SDL_GetWindowSurface(window)) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        SDL_UpdateWindowSurface(window);
    }
}

bool sameRect(const SDL_Rect& a, const SDL_Rect& b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// Every monitor but the page's own, and none that shows part of the page (a
// mirrored output does).
std::vector<SDL_Rect> areasToCover()
{
    SDL_Rect page{0, 0, 0, 0};
    SDL_GetWindowPosition(displayContext.window, &page.x, &page.y);
    SDL_GetWindowSize(displayContext.window, &page.w, &page.h);
    std::vector<SDL_Rect> wanted;
    for (const MonitorArea& m : platformMonitors(displayContext.window)) {
        const SDL_Rect area{m.x, m.y, m.width, m.height};
        if (!SDL_HasIntersection(&area, &page))
            wanted.push_back(area);
    }
    return wanted;
}

void placeCover(std::size_t index, const SDL_Rect& area)
{
    if (index == coverWindows.size()) {
        SDL_Window* window =
            SDL_CreateWindow("Tapwrite Screen Saver", area.x, area.y, area.w, area.h, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
        if (!window)
            return; // tried again on the next call
        coverWindows.push_back(window);
        coveredAreas.push_back(area);
    } else if (!sameRect(coveredAreas[index], area)) {
        SDL_SetWindowPosition(coverWindows[index], area.x, area.y);
        SDL_SetWindowSize(coverWindows[index], area.w, area.h);
        coveredAreas[index] = area;
    } else {
        return;
    }
    paintBlack(coverWindows[index]);
    // A window made after the pointer was hidden shows the system's pointer
    // until SDL applies its own again.
    SDL_SetCursor(nullptr);
}
}

void keepDisplaysCovered()
{
    // In a host's window the host owns the screens.
    if (platformHostWindowMode() || !displayContext.window)
        return;
    const std::vector<SDL_Rect> wanted = areasToCover();
    while (coverWindows.size() > wanted.size()) {
        SDL_DestroyWindow(coverWindows.back());
        coverWindows.pop_back();
        coveredAreas.pop_back();
    }
    for (std::size_t i = 0; i < wanted.size() && i <= coverWindows.size(); ++i)
        placeCover(i, wanted[i]);
}

void repaintCover(Uint32 windowId)
{
    for (SDL_Window* window : coverWindows)
        if (SDL_GetWindowID(window) == windowId)
            paintBlack(window);
}

void releaseCovers()
{
    for (SDL_Window* window : coverWindows)
        SDL_DestroyWindow(window);
    coverWindows.clear();
    coveredAreas.clear();
}
