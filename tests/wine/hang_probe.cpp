// A Windows console helper for the Wine tests: does a window answer its
// messages, as another program meets it?
//   hang_probe CAPTION SECONDS
// Every half second, for at most SECONDS or until the top-level window with
// that caption has gone: sends it WM_NULL with a time-out of 1 s and asks
// IsHungAppWindow, and prints one line a probe: when it was sent, in
// milliseconds since 1970 by the system clock (the host's, under Wine),
// "answered" or "unanswered", "responding" or "hung".
// Exit code 1 when there was no such window at the start.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    using namespace std::chrono;
    HWND window = argc == 3 ? FindWindowA(nullptr, argv[1]) : nullptr;
    if (!window)
        return 1;
    const auto end = steady_clock::now() + seconds(std::atoi(argv[2]));
    for (auto next = steady_clock::now(); next < end && IsWindow(window); next += milliseconds(500)) {
        std::this_thread::sleep_until(next);
        const long long sent = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
        const bool hung = IsHungAppWindow(window);
        // A window closed meanwhile answers nothing, and is not hung either.
        if (IsWindow(window))
            std::printf("%lld %s %s\n", sent, answered ? "answered" : "unanswered", hung ? "hung" : "responding");
        std::fflush(stdout);
    }
    return 0;
}
