// A Windows console helper for the Wine tests, reading windows from inside.
//   box_text CAPTION           the text of every control of the top-level
//                              window with that caption, one per line
//   box_text --styles CAPTION  every shown top-level window with that caption,
//                              one per line: x y width height, "topmost" or
//                              not, "listed" or not (on the taskbar and in
//                              Alt+Tab: neither a tool window nor owned)
// Exit code 1 when there is no such window.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
BOOL CALLBACK printText(HWND control, LPARAM)
{
    char text[1024];
    LRESULT length = SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    if (length > 0 && length < static_cast<LRESULT>(sizeof text))
        std::printf("%.*s\n", static_cast<int>(length), text);
    return TRUE;
}

const char* wantedCaption = nullptr;
int printed = 0;

BOOL CALLBACK printStyles(HWND window, LPARAM)
{
    char caption[256];
    if (!IsWindowVisible(window) || GetWindowTextA(window, caption, sizeof caption) <= 0
        || std::strcmp(caption, wantedCaption) != 0)
        return TRUE;
    RECT area;
    GetWindowRect(window, &area);
    const LONG_PTR extended = GetWindowLongPtrA(window, GWL_EXSTYLE);
    const bool listed = !(extended & WS_EX_TOOLWINDOW) && !GetWindow(window, GW_OWNER);
    std::printf("%ld %ld %ld %ld %s %s\n", area.left, area.top, area.right - area.left, area.bottom - area.top,
        (extended & WS_EX_TOPMOST) ? "topmost" : "not-topmost", listed ? "listed" : "unlisted");
    ++printed;
    return TRUE;
}
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--styles") == 0) {
        wantedCaption = argv[2];
        EnumWindows(printStyles, 0);
        return printed > 0 ? 0 : 1;
    }
    if (argc != 2)
        return 2;
    HWND window = FindWindowA(nullptr, argv[1]);
    if (!window)
        return 1;
    EnumChildWindows(window, printText, 0);
    return 0;
}
