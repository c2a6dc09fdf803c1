// The outputs' power on Windows: the console display's state, as the system
// tells the page's window.
#include "platform/console_display_windows.h"
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>

bool platformOutputsDark(SDL_Window* page)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (page && SDL_GetWindowWMInfo(page, &info) && info.subsystem == SDL_SYSWM_WINDOWS)
        watchConsoleDisplay(info.info.win.window);
    return consoleDisplayOff();
}
