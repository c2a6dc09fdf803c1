// The saver's window procedure on Windows given the console display's setting
// changes, sent as Windows sends them (Wine sends none of its own): off, on,
// dimmed, other settings and other messages, in the order of a night. Prints
// one line per row; the exit code is the number of rows that failed.
#include "platform/console_display.h"
#include "platform/console_display_windows.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
int messagesToOwnProcedure = 0;

LRESULT CALLBACK ownProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER)
        ++messagesToOwnProcedure;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A POWERBROADCAST_SETTING of a 32-bit state, for the setting with that GUID.
std::vector<unsigned char> settingChange(const unsigned char* guid, DWORD state)
{
    std::vector<unsigned char> bytes(offsetof(POWERBROADCAST_SETTING, Data) + sizeof(DWORD));
    auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(bytes.data());
    std::memcpy(&setting->PowerSetting, guid, sizeof(GUID));
    setting->DataLength = sizeof(DWORD);
    std::memcpy(setting->Data, &state, sizeof state);
    return bytes;
}
}

int main()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ownProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"display power probe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
        nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) {
        std::printf("FAIL no window (error %lu)\n", GetLastError());
        return 1;
    }
    watchConsoleDisplay(window);

    unsigned char otherGuid[16];
    std::memcpy(otherGuid, consoleDisplayGuid, sizeof otherGuid);
    otherGuid[15] ^= 1;
    struct Row {
        const char* name;
        const unsigned char* guid;
        DWORD state;
        bool off;
    };
    const Row rows[] = {
        {"display off", consoleDisplayGuid, 0, true},
        {"another setting while off", otherGuid, 1, true},
        {"a state Windows does not name", consoleDisplayGuid, 7, true},
        {"display on", consoleDisplayGuid, 1, false},
        {"display off again", consoleDisplayGuid, 0, true},
        {"dimmed", consoleDisplayGuid, 2, false},
    };
    int failed = 0;
    for (const Row& row : rows) {
        std::vector<unsigned char> change = settingChange(row.guid, row.state);
        const LRESULT answer = SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
            reinterpret_cast<LPARAM>(change.data()));
        const bool ok = consoleDisplayOff() == row.off && answer == TRUE;
        failed += !ok;
        std::printf("%s %s: %s\n", ok ? "ok  " : "FAIL", row.name, consoleDisplayOff() ? "off" : "on");
    }
    // Everything else still reaches the window's own procedure.
    SendMessageW(window, WM_USER, 0, 0);
    const bool passedOn = messagesToOwnProcedure == 1;
    failed += !passedOn;
    std::printf("%s other messages reach the window's own procedure\n", passedOn ? "ok  " : "FAIL");
    DestroyWindow(window);
    return failed;
}
