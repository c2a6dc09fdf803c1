// Linked into the start-up benchmark's saver: writes the wall-clock time of the
// first presented frame to standard error, once.
#include <SDL.h>

#include <cstdio>
#include <ctime>

extern "C" void __real_SDL_RenderPresent(SDL_Renderer* renderer);

extern "C" void __wrap_SDL_RenderPresent(SDL_Renderer* renderer)
{
    static bool first = true;
    __real_SDL_RenderPresent(renderer);
    if (first) {
        first = false;
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        std::fprintf(stderr, "first-frame %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stderr);
    }
}
