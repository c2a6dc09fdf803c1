// Frame cost, CPU use at the normal typing pace, and resident memory over a
// long run, measured in the saver's own window.
//
//   frame_bench [--samples N] [--cpu-lines N] [--pages N]
//
//   --samples N    drawFrame() timings per page size (default 300)
//   --cpu-lines N  lines typed with the real pauses for the CPU figure
//                  (default 48, a whole page with its eject: several minutes)
//   --pages N      pages typed at full speed for the memory figure (default 200)
#include "app/run_path.h"
#include "app/wake_rules.h"
#include "display/builtin_text.h"
#include "display/display_setup.h"
#include "display/page_drawing.h"
#include "display/page_layout.h"
#include "display/typing_engine.h"
#include "platform/pacing.h"
#include "tests/support/resident_memory.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Percentile p (0..100) of the sorted samples, nearest rank.
double percentile(const std::vector<double>& sorted, double p)
{
    size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

// The built-in text without its empty lines, cycled to fill a page.
std::vector<std::string> pageOfSentences(int count)
{
    std::vector<std::string> prose;
    for (const std::string& s : builtinSentences())
        if (!s.empty())
            prose.push_back(s);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(prose[static_cast<size_t>(i) % prose.size()]);
    return lines;
}

// drawFrame() timings of the page typingState holds, one row of the table.
void timeFrames(const char* label, int value, int samples)
{
    for (int i = 0; i < 10; ++i)
        drawFrame();
    std::vector<double> ms;
    for (int i = 0; i < samples; ++i) {
        auto start = Clock::now();
        drawFrame();
        ms.push_back(secondsSince(start) * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    double mean = 0;
    for (double v : ms)
        mean += v;
    mean /= static_cast<double>(ms.size());
    std::printf("  %7d %-5s  %8.3f  %8.3f  %8.3f  %8.3f\n", value, label, percentile(ms, 50), percentile(ms, 95),
        mean, ms.back());
}

void benchFrames(int samples)
{
    std::printf("drawFrame() wall time, %d samples each (ms):\n", samples);
    std::printf("  %12s  %8s  %8s  %8s  %8s\n", "page", "median", "p95", "mean", "max");
    for (int count : {1, 25, 49}) {
        typingState = TypingState{};
        typingState.lines = pageOfSentences(count);
        typingState.scrollLines = 9 + count - 1;
        timeFrames("lines", count, samples);
    }
    // A sentence is never wrapped: only what the screen shows may cost.
    for (int length : {100, 5000, 1024 * 1024}) {
        typingState = TypingState{};
        typingState.lines = {std::string(static_cast<size_t>(length), 'm')};
        typingState.scrollLines = 9;
        timeFrames("chars", length, samples);
    }
}

// Typing at the normal pace: the program's own pauses and random numbers.
void benchCpu(int lines)
{
    restoreDefaultPacing();
    typingState = TypingState{};
    typingState.sentences = builtinSentences();
    quitRequested = false;
    feedPaper();
    long passes = 0;
    const double cpuStart = cpuSeconds();
    const auto wallStart = Clock::now();
    while (typingState.completedLines < lines) {
        if (!mainLoopPass()) {
            std::printf("  (stopped by an input event)\n");
            break;
        }
        ++passes;
    }
    const double wall = secondsSince(wallStart);
    const double cpu = cpuSeconds() - cpuStart;
    std::printf("CPU at the normal pace: %d lines%s, %ld passes in %.1f s wall, %.2f s CPU: %.1f %% of one core\n",
        typingState.completedLines, lines >= 48 ? " (a whole page, eject and feed included)" : "", passes, wall, cpu,
        100.0 * cpu / wall);
}

// Whole pages at full speed: no pauses. Short sentences and empty lines keep a
// page quick (at 1920x1080 each frame costs several milliseconds to present);
// a quarter of the lines still get a line image on every frame.
void benchMemory(int pages)
{
    pauseFunction = [](int) {};
    typingState = TypingState{};
    typingState.sentences = {"Hi.", "Ok", "A", "", "Ink.", "", "", ""};
    quitRequested = false;
    feedPaper();
    const auto start = Clock::now();
    int turned = 0;
    long at10 = 0;
    while (turned < pages) {
        const size_t before = typingState.lines.size();
        if (!mainLoopPass()) {
            std::printf("  (stopped by an input event)\n");
            break;
        }
        if (typingState.lines.size() < before) {
            ++turned;
            if (turned == 10)
                at10 = residentKiB();
        }
    }
    const long atEnd = residentKiB();
    std::printf("resident memory at full speed: after page 10 %ld KiB, after page %d %ld KiB (%+ld KiB), %.1f s\n",
        at10, turned, atEnd, atEnd - at10, secondsSince(start));
    restoreDefaultPacing();
}

int argumentAfter(int& i, int argc, char** argv)
{
    if (i + 1 >= argc) {
        std::fprintf(stderr, "frame_bench: %s needs a number\n", argv[i]);
        std::exit(2);
    }
    return std::atoi(argv[++i]);
}

} // namespace

int main(int argc, char** argv)
{
    int samples = 300;
    int cpuLines = 48;
    int pages = 200;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--samples") == 0)
            samples = std::max(1, argumentAfter(i, argc, argv));
        else if (std::strcmp(argv[i], "--cpu-lines") == 0)
            cpuLines = argumentAfter(i, argc, argv);
        else if (std::strcmp(argv[i], "--pages") == 0)
            pages = argumentAfter(i, argc, argv);
        else {
            std::fprintf(stderr, "usage: frame_bench [--samples N] [--cpu-lines N] [--pages N]\n");
            return 2;
        }
    }
    if (!initDisplay() || !loadAssets()) {
        std::fprintf(stderr, "frame_bench: display setup failed: %s\n", SDL_GetError());
        return 1;
    }
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(displayContext.renderer, &info);
    std::printf("screen %dx%d, renderer %s%s\n", pageLayout.screenWidth, pageLayout.screenHeight, info.name,
        (info.flags & SDL_RENDERER_ACCELERATED) ? " (accelerated)" : "");
    std::fflush(stdout);

    benchFrames(samples);
    std::fflush(stdout);
    if (cpuLines > 0) {
        benchCpu(cpuLines);
        std::fflush(stdout);
    }
    if (pages > 0)
        benchMemory(pages);
    shutdownSaver();
    return 0;
}
