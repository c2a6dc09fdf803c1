#include "platform/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

const char* platformCommandLine()
{
    return GetCommandLineA();
}

WindowHandle platformForegroundWindow()
{
    return static_cast<WindowHandle>(reinterpret_cast<INT_PTR>(GetForegroundWindow()));
}

void platformInformationBox(const char* text, const char* caption)
{
    MessageBoxA(nullptr, text, caption, MB_ICONINFORMATION);
}

namespace {
BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT area, LPARAM list)
{
    reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
        {area->left, area->top, area->right - area->left, area->bottom - area->top});
    return TRUE;
}
}

std::vector<MonitorArea> platformMonitors(SDL_Window*)
{
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void platformPointerOnDesktop(SDL_Window*, int& x, int& y)
{
    POINT point{0, 0};
    GetCursorPos(&point);
    x = point.x;
    y = point.y;
}

void platformRunForXScreen() {}

void platformPreferSessionVideoDriver() {}

bool platformWindowsFillOutputs()
{
    return false;
}

SDL_Window* platformOpenOutputWindow(const char*, const MonitorArea&)
{
    return nullptr;
}

SDL_Window* platformKeepPointerHidden()
{
    return nullptr;
}

bool platformDrainMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return true;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return false;
}

void platformAnswerWindowSystem()
{
    // Every message but input and the quit message, which the next drain
    // reads; messages sent from other threads are answered by any peek.
    static constexpr UINT answered[][2] = {
        {WM_NULL, WM_QUIT - 1},
        {WM_QUIT + 1, WM_INPUT_DEVICE_CHANGE - 1},
        {WM_KEYLAST + 1, WM_MOUSEFIRST - 1},
        {WM_MOUSELAST + 1, 0xFFFFFFFF},
    };
    MSG message;
    for (const auto& range : answered)
        while (PeekMessageW(&message, nullptr, range[0], range[1], PM_REMOVE))
            DispatchMessageW(&message);
}

void platformStayOffAbsentSessionBus()
{
}

void platformLeaveNoDriverCache()
{
}

void platformSetArguments(int, char**)
{
}

void platformSetCommandLineForTest(const char*)
{
}

bool platformAdoptHostWindow(std::uint32_t)
{
    return false;
}

bool platformHostWindowMode()
{
    return false;
}

const void* platformHostWindow()
{
    return nullptr;
}

bool platformHostWindowDrawable(SDL_Window*, std::string&)
{
    return true;
}

bool platformRunEnding()
{
    return false;
}

void platformCatchTerminationRequests()
{
}

void platformWatchTermination(bool)
{
}

bool platformTerminationRequested()
{
    return false;
}
