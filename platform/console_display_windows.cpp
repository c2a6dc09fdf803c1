#include "platform/console_display_windows.h"

#include "platform/console_display.h"

#include <cstddef>
#include <cstring>

namespace {
HWND watchedWindow = nullptr;
WNDPROC ownProcedure = nullptr;
HPOWERNOTIFY notification = nullptr;
bool displayOff = false;

// Puts the watched window's own procedure back and ends its registration.
void stopWatching()
{
    if (notification)
        UnregisterPowerSettingNotification(notification);
    notification = nullptr;
    SetWindowLongPtrW(watchedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ownProcedure));
    watchedWindow = nullptr;
}

// The setting it points to lives only for the call; the window's own
// procedure has no use for the message.
LRESULT CALLBACK powerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The window's last message: its registration goes with it, and a window
    // made later, were it to get the same handle, is watched anew.
    if (message == WM_NCDESTROY && window == watchedWindow) {
        const WNDPROC own = ownProcedure;
        stopWatching();
        return CallWindowProcW(own, window, message, wParam, lParam);
    }
    if (message == WM_POWERBROADCAST && wParam == PBT_POWERSETTINGCHANGE && lParam) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        const ConsoleDisplay state = consoleDisplayIn(reinterpret_cast<const unsigned char*>(setting),
            offsetof(POWERBROADCAST_SETTING, Data) + setting->DataLength);
        if (state != ConsoleDisplay::NotTold)
            displayOff = state == ConsoleDisplay::Off;
        return TRUE;
    }
    return CallWindowProcW(ownProcedure, window, message, wParam, lParam);
}
}

void watchConsoleDisplay(HWND window)
{
    if (!window || window == watchedWindow)
        return;
    // One window at a time: the one watched before is no longer the page's.
    if (watchedWindow)
        stopWatching();
    // The procedure first: Windows tells the state as soon as it is asked.
    ownProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(powerProcedure)));
    watchedWindow = window;
    displayOff = false;
    GUID consoleDisplayState;
    std::memcpy(&consoleDisplayState, consoleDisplayGuid, sizeof consoleDisplayState);
    notification = RegisterPowerSettingNotification(window, &consoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    // A peek answers what was sent meanwhile: the state, when Windows has
    // told it already.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

bool consoleDisplayOff()
{
    return displayOff;
}
