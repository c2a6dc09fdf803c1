// The saver's covers on Windows: topmost, so that the taskbar and what other
// programs open stay below them, wherever the pointer rested at the start.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

void platformOwnNewWindows()
{
}

namespace {
// Each cover topmost or not, as asked; only those that are not yet.
void setCoversTopmost(const std::vector<SDL_Window*>& covers, bool topmost)
{
    for (SDL_Window* cover : covers) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(cover, &info) || info.subsystem != SDL_SYSWM_WINDOWS)
            continue;
        HWND window = info.info.win.window;
        if (((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) != topmost)
            SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}
}

void platformKeepAbove(SDL_Window*, const std::vector<SDL_Window*>& covers)
{
    // A cover made while the page's window is activated loses its topmost
    // place again; asked each pass, it gets it back at once.
    setCoversTopmost(covers, true);
}

void platformLetBoxesAbove(SDL_Window*, const std::vector<SDL_Window*>& covers)
{
    // A box without an owner is no topmost window: the covers make way, and
    // the box, shown by the active program, comes up in front of the page.
    setCoversTopmost(covers, false);
}

void platformGiveFocusBack()
{
}
