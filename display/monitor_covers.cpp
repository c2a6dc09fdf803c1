#include "display/monitor_covers.h"

#include "display/display_setup.h"
#include "display/page_reshape.h"

#include <cstddef>

std::vector<SDL_Window*> coverWindows;
SDL_Rect pageArea{0, 0, 0, 0};
unsigned monitorChanges = 0;

namespace {
std::vector<SDL_Rect> coveredAreas;
std::vector<MonitorArea> lastMonitors;

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

bool sameMonitors(const std::vector<MonitorArea>& a, const std::vector<MonitorArea>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].width != b[i].width || a[i].height != b[i].height)
            return false;
    return true;
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

// A compositor moves windows between its workspaces as outputs come and go,
// and may leave ours on one it no longer shows; a window made again shows on
// its output as that is now. The page keeps its output while it is there.
void showEveryWindowAnew(const std::vector<MonitorArea>& monitors)
{
    if (!monitors.empty()) {
        const SDL_Rect area = areaKeepingPage(monitors, pageArea);
        if (reopenPageWindow(area))
            pageArea = area;
    }
    releaseCovers();
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
        // anew (showEveryWindowAnew): only a window we place moves here.
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

void keepDisplaysCovered()
{
    // In a host's window the host owns the screens.
    if (platformHostWindowMode() || !displayContext.window)
        return;
    std::vector<MonitorArea> monitors = platformMonitors(displayContext.window);
    if (!sameMonitors(monitors, lastMonitors)) {
        const bool changed = !lastMonitors.empty();
        lastMonitors = monitors;
        if (changed) {
            ++monitorChanges;
            if (platformWindowsFillOutputs())
                showEveryWindowAnew(monitors);
        }
    }
    const std::vector<SDL_Rect> wanted = areasToCover(monitors, pageArea);
    while (coverWindows.size() > wanted.size()) {
        SDL_DestroyWindow(coverWindows.back());
        coverWindows.pop_back();
        coveredAreas.pop_back();
    }
    for (std::size_t i = 0; i < wanted.size() && i <= coverWindows.size(); ++i)
        placeCover(i, wanted[i]);
    // Also while the paper animations read no events for seconds.
    if (SDL_Window* entered = platformKeepPointerHidden())
        repaintCover(SDL_GetWindowID(entered));
    followPageWindowPixels();
    platformKeepAbove(displayContext.window, coverWindows);
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
