// Time from process start to the first presented frame, with the web service
// on loopback, unreachable (nothing listens; a name that does not resolve),
// and stalled (accepts, never answers). Prints the median of several runs.
#include "../tests/support/service_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {
long long wallClockNs()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// One start: milliseconds to the first frame, or a negative value when none came.
double timeToFirstFrame(const std::string& program)
{
    const long long launched = wallClockNs();
    ChildProcess saver({program, "/s"});
    auto deadline = std::chrono::steady_clock::now() + 40s;
    while (std::chrono::steady_clock::now() < deadline && saver.running()) {
        std::string err = saver.standardError();
        std::size_t at = err.find("first-frame ");
        if (at != std::string::npos && err.find('\n', at) != std::string::npos)
            return (std::atoll(err.c_str() + at + 12) - launched) / 1e6;
        std::this_thread::sleep_for(5ms);
    }
    return -1;
}

void report(const char* scenario, const std::string& program, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double ms = timeToFirstFrame(program);
        if (ms < 0) {
            std::printf("%-34s no first frame (run %d)\n", scenario, i + 1);
            return;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-34s median %8.1f ms   min %8.1f   max %8.1f   (%d runs)\n", scenario, times[times.size() / 2],
        times.front(), times.back(), runs);
    std::fflush(stdout);
}
}

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    int stalledRuns = argc > 2 ? std::atoi(argv[2]) : 3;
    {
        ServiceFixture service(TAPWRITE_BENCH_PORT);
        if (!service.ready()) {
            std::fprintf(stderr, "the loopback service did not start\n");
            return 1;
        }
        service.serve("sstext", readWholeFile(TAPWRITE_SOURCE_DIR "/feed/sstext"));
        service.serve("sys", readWholeFile(TAPWRITE_SOURCE_DIR "/feed/sys"));
        report("service on loopback", TAPWRITE_BENCH_LOOPBACK_SAVER, runs);
        service.serve("sstext", "", "stall");
        service.serve("sys", "", "stall");
        report("service stalled", TAPWRITE_BENCH_LOOPBACK_SAVER, stalledRuns);
    }
    report("service unreachable (refused)", TAPWRITE_BENCH_LOOPBACK_SAVER, runs);
    report("service unreachable (no such name)", TAPWRITE_BENCH_DEFAULT_SAVER, runs);
    return 0;
}
