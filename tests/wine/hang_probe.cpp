// A Windows console helper for the Wine tests: does a window answer its
// messages, as another program meets it?
//   hang_probe CAPTION SECONDS
// Every half second, for at most SECONDS or until the shown top-level window
// with that caption has gone: sends it WM_NULL with a time-out of 1 s and asks
// IsHungAppWindow, and prints one line a probe: when it was sent, in
// milliseconds since 1970 by the system clock (the host's, under Wine),
// "answered" or "unanswered", "responding" or "hung".
// Exit code 1 when there was no such window at the start.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
unsigned long long unixMilliseconds()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000ULL) / 10000;
}
}

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    HWND window = FindWindowA(nullptr, argv[1]);
    if (!window)
        return 1;
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG end = start + 1000ULL * std::strtoul(argv[2], nullptr, 10);
    for (ULONGLONG next = start; next < end; next += 500) {
        const ULONGLONG now = GetTickCount64();
        if (next > now)
            Sleep(static_cast<DWORD>(next - now));
        const unsigned long long sent = unixMilliseconds();
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
        const bool hung = IsHungAppWindow(window);
        // A window closed meanwhile answers nothing, and is not hung either.
        if (!IsWindow(window))
            break;
        std::printf("%llu %s %s\n", sent, answered ? "answered" : "unanswered",
            hung ? "hung" : "responding");
        std::fflush(stdout);
    }
    return 0;
}
