#include "display/monitor_covers.h"

#include "display/page_window.h"

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

void addOnce(std::vector<SDL_Rect>& areas, const SDL_Rect& area)
{
    if (area.w <= 0 || area.h <= 0)
        return;
    for (const SDL_Rect& a : areas)
        if (sameRect(a, area))
            return;
    areas.push_back(area);
}

SDL_Window* openCover(const SDL_Rect& area)
{
    if (platformWindowsFillOutputs())
        return platformOpenOutputWindow("Tapwrite Screen Saver", {area.x, area.y, area.w, area.h});
    SDL_Window* window = SDL_CreateWindow("Tapwrite Screen Saver", area.x, area.y, area.w, area.h,
        SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
    // Windows leaves a window made with the flag alone not topmost.
    if (window)
        SDL_SetWindowAlwaysOnTop(window, SDL_TRUE);
    return window;
}

void placeCover(std::size_t index, const SDL_Rect& area)
{
    if (index == coverWindows.size()) {
        SDL_Window* window = openCover(area);
        if (!window)
            return; // tried again on the next call
        coverWindows.push_back(window);
        coveredAreas.push_back(area);
    } else if (sameRect(coveredAreas[index], area)) {
        return;
    } else {
        // Under a compositor every change of the outputs makes the covers
        // anew (see keepDisplaysCovered): only a window we place moves here.
        SDL_SetWindowPosition(coverWindows[index], area.x, area.y);
        SDL_SetWindowSize(coverWindows[index], area.w, area.h);
        coveredAreas[index] = area;
    }
    paintBlack(coverWindows[index]);
    // A window made after the pointer was hidden shows the system's pointer
    // until SDL applies its own again.
    SDL_SetCursor(nullptr);
}
}

std::vector<SDL_Rect> areasToCover(const std::vector<MonitorArea>& monitors, const SDL_Rect& page)
{
    std::vector<SDL_Rect> areas;
    for (const MonitorArea& m : monitors) {
        const SDL_Rect monitor{m.x, m.y, m.width, m.height};
        SDL_Rect shared;
        if (!SDL_IntersectRect(&monitor, &page, &shared)) {
            addOnce(areas, monitor);
            continue;
        }
        // What of the monitor lies above, below, left and right of the page.
        const int monitorBottom = monitor.y + monitor.h;
        const int sharedBottom = shared.y + shared.h;
        const int sharedRight = shared.x + shared.w;
        addOnce(areas, {monitor.x, monitor.y, monitor.w, shared.y - monitor.y});
        addOnce(areas, {monitor.x, sharedBottom, monitor.w, monitorBottom - sharedBottom});
        addOnce(areas, {monitor.x, shared.y, shared.x - monitor.x, shared.h});
        addOnce(areas, {sharedRight, shared.y, monitor.x + monitor.w - sharedRight, shared.h});
    }
    return areas;
}

void coverAroundPage(const std::vector<MonitorArea>& monitors)
{
    const std::vector<SDL_Rect> wanted = areasToCover(monitors, pageArea);
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
