// The console display's power on Windows, as the system tells the page's
// window: at once when the window asks, and on every change after.
#include "platform/console_display.h"
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstddef>
#include <cstring>

namespace {
HWND watchedWindow = nullptr;
WNDPROC sdlProcedure = nullptr;
bool consoleDisplayOff = false;

// Goes before SDL's own procedure: SDL has no use for the message, and the
// setting it points to lives only for the call.
LRESULT CALLBACK pageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_POWERBROADCAST && wParam == PBT_POWERSETTINGCHANGE && lParam) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        const ConsoleDisplay state = consoleDisplayIn(reinterpret_cast<const unsigned char*>(setting),
            offsetof(POWERBROADCAST_SETTING, Data) + setting->DataLength);
        // Dimmed is still lit.
        if (state != ConsoleDisplay::NotTold)
            consoleDisplayOff = state == ConsoleDisplay::Off;
        return TRUE;
    }
    return CallWindowProcW(sdlProcedure, window, message, wParam, lParam);
}

HWND windowOf(SDL_Window* page)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!page || !SDL_GetWindowWMInfo(page, &info) || info.subsystem != SDL_SYSWM_WINDOWS)
        return nullptr;
    return info.info.win.window;
}
}

bool platformOutputsDark(SDL_Window* page)
{
    HWND window = windowOf(page);
    if (window && window != watchedWindow) {
        // The procedure first: Windows tells the state as soon as it is asked.
        sdlProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pageProcedure)));
        GUID consoleDisplayState;
        std::memcpy(&consoleDisplayState, consoleDisplayGuid, sizeof consoleDisplayState);
        RegisterPowerSettingNotification(window, &consoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
        // A peek answers what was sent meanwhile: the state, when Windows
        // has told it already.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
        watchedWindow = window;
        consoleDisplayOff = false;
    }
    return consoleDisplayOff;
}
