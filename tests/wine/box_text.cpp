// A Windows console helper for the Wine tests: prints the text of every control
// of the top-level window with the given caption, one per line. Exit code 1
// when there is no such window.
#include <windows.h>

#include <cstdio>

namespace {
BOOL CALLBACK printText(HWND control, LPARAM)
{
    char text[1024];
    LRESULT length = SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    if (length > 0 && length < static_cast<LRESULT>(sizeof text))
        std::printf("%.*s\n", static_cast<int>(length), text);
    return TRUE;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    HWND window = FindWindowA(nullptr, argv[1]);
    if (!window)
        return 1;
    EnumChildWindows(window, printText, 0);
    return 0;
}
