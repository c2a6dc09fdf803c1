#pragma once
// Helpers shared by the display tests: opening the saver's window once per
// process, reading back what was drawn, and reading the resident memory.
#include "diag/trace.h"
#include "display/display_setup.h"
#include "tests/support/resident_memory.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

// initDisplay() and loadAssets() once for the whole test program.
inline bool openSaverDisplayOnce()
{
    static const bool ready = initDisplay() && loadAssets();
    return ready;
}

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<Uint32> pixels; // ARGB8888, row by row

    Uint32 at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    static int red(Uint32 p) { return (p >> 16) & 0xff; }
    static int green(Uint32 p) { return (p >> 8) & 0xff; }
    static int blue(Uint32 p) { return p & 0xff; }
    static int brightest(Uint32 p) { return std::max({red(p), green(p), blue(p)}); }
    static int darkest(Uint32 p) { return std::min({red(p), green(p), blue(p)}); }
    // Nothing drawn: the cleared black of the screen.
    bool isBlack(int x, int y) const { return brightest(at(x, y)) < 8; }
    // Ink of a typed character (the paper itself never gets this dark).
    bool isInk(int x, int y) const { return brightest(at(x, y)) < 110; }
    // The light sheet, grain, fibres and darkened edges included.
    bool isPaper(int x, int y) const { return darkest(at(x, y)) > 150; }
};

// What the renderer holds now (call after drawing, before presenting).
inline Screenshot readScreen()
{
    Screenshot shot;
    SDL_GetRendererOutputSize(displayContext.renderer, &shot.width, &shot.height);
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    SDL_RenderReadPixels(displayContext.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shot.pixels.data(),
        shot.width * static_cast<int>(sizeof(Uint32)));
    return shot;
}

// Runs call with the trace switched on and written to a fresh file; returns
// the lines it traced.
template <typename Call>
std::vector<std::string> traceLinesOf(Call call)
{
    char traceName[] = "/tmp/tapwrite_display_trace_XXXXXX";
    int fd = mkstemp(traceName);
    if (fd >= 0)
        close(fd);
    traceEnabled = true;
    traceStream.open(traceName, std::ios::out | std::ios::trunc | std::ios::binary);
    call();
    traceStream.close();
    traceStream.clear();
    traceEnabled = false;
    std::vector<std::string> lines;
    std::ifstream written(traceName, std::ios::binary);
    for (std::string line; std::getline(written, line);)
        lines.push_back(line);
    std::remove(traceName);
    return lines;
}
