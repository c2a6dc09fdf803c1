// The idle companion's cost while it waits: its wake-ups (voluntary context
// switches) and CPU time over a stretch with no input, then over one with
// the pointer moving ten times a second. Run on an X screen (bench/run.sh
// --idle), where its idle time is the server's IDLETIME counter.
// With --dark, the saver's cost over a stretch with its monitors on and one
// with them powered down (bench/run.sh --dark): its X server's DPMS
// extension is a stand-in, whose power level is written to a file.
#include "tests/support/wake_ups.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
struct Cost {
    long wakeUps = 0;
    double cpuSeconds = 0;
};

Cost costOf(pid_t pid)
{
    Cost cost;
    cost.wakeUps = wakeUpsOf(pid);
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(statFile, stat);
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) // state .. cmajflt: utime is the 14th field
        fields >> skip;
    long user = 0, system = 0;
    fields >> user >> system;
    cost.cpuSeconds = double(user + system) / double(sysconf(_SC_CLK_TCK));
    return cost;
}

void report(const char* stretch, const Cost& before, const Cost& after, int seconds)
{
    std::printf("%-8s %3d s: %5ld wake-ups, %6.3f s CPU\n", stretch, seconds, after.wakeUps - before.wakeUps,
        after.cpuSeconds - before.cpuSeconds);
}

void setMonitorPower(const char* level)
{
    std::ofstream(TAPWRITE_DPMS_STANDIN_FILE) << level << "\n";
}

int darkBench(int seconds)
{
    setMonitorPower("on");
    const pid_t saver = fork();
    if (saver == 0) {
        execl(TAPWRITE_BENCH_DPMS_SAVER, TAPWRITE_BENCH_DPMS_SAVER, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(3)); // past its start-up and the feed
    const Cost litStart = costOf(saver);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const Cost litEnd = costOf(saver);
    setMonitorPower("off");
    std::this_thread::sleep_for(std::chrono::seconds(2)); // it looks once a second
    const Cost darkStart = costOf(saver);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const Cost darkEnd = costOf(saver);
    kill(saver, SIGTERM);
    int status = 0;
    waitpid(saver, &status, 0);
    std::printf("saver over %d s      lit     dark\n", seconds);
    const long litWakeUps = litEnd.wakeUps - litStart.wakeUps;
    const long darkWakeUps = darkEnd.wakeUps - darkStart.wakeUps;
    std::printf("wake-ups        %8ld %8ld\n", litWakeUps, darkWakeUps);
    std::printf("wake-ups / s    %8.1f %8.1f\n", double(litWakeUps) / seconds, double(darkWakeUps) / seconds);
    std::printf("CPU (s)         %8.3f %8.3f\n", litEnd.cpuSeconds - litStart.cpuSeconds,
        darkEnd.cpuSeconds - darkStart.cpuSeconds);
    std::printf("exit code: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: idle_bench COMPANION [SECONDS]\n       idle_bench --dark [SECONDS]\n");
        return 2;
    }
    if (std::string(argv[1]) == "--dark")
        return darkBench(argc > 2 ? std::atoi(argv[2]) : 60);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    char runtime[] = "/tmp/idle-bench-XXXXXX";
    if (!mkdtemp(runtime))
        return 1;
    const pid_t companion = fork();
    if (companion == 0) {
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        // An idle time longer than the run: it only waits.
        execl(argv[1], argv[1], "--after", "86400", "--saver", "/bin/true", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2)); // past its start-up
    const Cost start = costOf(companion);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const Cost idle = costOf(companion);
    report("idle", start, idle, seconds);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        const std::string move = "xdotool mousemove " + std::to_string(100 + i % 200) + " 100";
        if (std::system(move.c_str()) != 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    report("in use", idle, costOf(companion), seconds);
    kill(companion, SIGTERM);
    waitpid(companion, nullptr, 0);
    std::remove((std::string(runtime) + "/tapwrite-idle.lock").c_str());
    rmdir(runtime);
    return 0;
}
