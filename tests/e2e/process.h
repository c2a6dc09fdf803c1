#pragma once
// Starting a program under test: fork/exec with a chosen environment and
// working directory, standard output and error captured to files, and waiting
// for its exit with a time limit.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct LaunchOptions {
    // Variables to set (or, with std::nullopt, to remove) on top of this
    // process's own environment.
    std::map<std::string, std::optional<std::string>> environment;
    // Working directory; the current one when empty.
    std::filesystem::path workingDirectory;
    // Signals blocked in the child from its first instruction, as a caller
    // that must not lose it to an early request starts it.
    std::vector<int> blockedSignals;
};

class ChildProcess {
public:
    ChildProcess(std::vector<std::string> argv, const LaunchOptions& options = {});
    ~ChildProcess(); // kills the child if it is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // True while the child has not exited (reaps it when it has).
    bool running();
    // The exit code once it exited normally within the limit; nullopt when it
    // is still running at the limit or was ended by a signal.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    // The child ended by this signal (after waitForExit/running saw it end).
    std::optional<int> terminatingSignal() const { return signal_; }
    void kill();
    // Sends a signal to the child alone, as a screen-saver host does.
    void signal(int number);

    std::string standardOutput() const;
    std::string standardError() const;

private:
    bool reap(bool block);

    pid_t pid_ = -1;
    bool exited_ = false;
    std::optional<int> code_;
    std::optional<int> signal_;
    std::filesystem::path captureDirectory_;
};

// The whole content of a file; empty when it cannot be read.
std::string readWholeFile(const std::filesystem::path& path);

// The processes whose /proc folder passes the test.
std::vector<pid_t> processesWhere(const std::function<bool(const std::filesystem::path& proc)>& test);

// Runs a helper command to completion (xdotool, import) and returns its exit
// code; nullopt when it could not be run or did not end within the limit.
std::optional<int> runCommand(const std::vector<std::string>& argv,
    std::chrono::milliseconds limit = std::chrono::seconds(10));
