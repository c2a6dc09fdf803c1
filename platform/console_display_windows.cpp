#include "platform/console_display_windows.h"

#include "platform/console_display.h"

#include <cstddef>
#include <cstring>

namespace {
HWND watchedWindow = nullptr;
WNDPROC ownProcedure = nullptr;
bool displayOff = false;

// The setting it points to lives only for the call; the window's own
// procedure has no use for the message.
LRESULT CALLBACK powerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
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
    // The procedure first: Windows tells the state as soon as it is asked.
    ownProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(powerProcedure)));
    watchedWindow = window;
    displayOff = false;
    GUID consoleDisplayState;
    std::memcpy(&consoleDisplayState, consoleDisplayGuid, sizeof consoleDisplayState);
    RegisterPowerSettingNotification(window, &consoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    // A peek answers what was sent meanwhile: the state, when Windows has
    // told it already.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

bool consoleDisplayOff()
{
    return displayOff;
}
