#include "process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

std::string readWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<pid_t> processesWhere(const std::function<bool(const std::filesystem::path& proc)>& test)
{
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const pid_t pid = std::atoi(entry.path().filename().c_str());
        if (pid > 0 && test(entry.path()))
            found.push_back(pid);
    }
    return found;
}

ChildProcess::ChildProcess(std::vector<std::string> argv, const LaunchOptions& options)
{
    char pattern[] = "/tmp/e2e-capture-XXXXXX";
    if (!mkdtemp(pattern))
        return;
    captureDirectory_ = pattern;
    std::string outPath = (captureDirectory_ / "stdout").string();
    std::string errPath = (captureDirectory_ / "stderr").string();

    // Everything the child needs is prepared before the fork.
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        if (!options.environment.count(name))
            environment.push_back(entry);
    }
    for (const auto& [name, value] : options.environment)
        if (value)
            environment.push_back(name + "=" + *value);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    std::string directory = options.workingDirectory.string();
    // Blocked across the fork, so that the child has them blocked from its
    // first instruction, before it could be sent one.
    sigset_t blocked;
    sigset_t ours;
    sigemptyset(&blocked);
    for (int number : options.blockedSignals)
        sigaddset(&blocked, number);
    pthread_sigmask(SIG_BLOCK, &blocked, &ours);
    // Closed by the exec: the constructor returns once the program runs, so a
    // signal sent then reaches it, not the copy of the test before the exec.
    int started[2] = {-1, -1};
    if (pipe2(started, O_CLOEXEC) != 0)
        started[0] = started[1] = -1;

    pid_ = fork();
    if (pid_ != 0)
        pthread_sigmask(SIG_SETMASK, &ours, nullptr);
    if (pid_ != 0 && started[0] >= 0) {
        close(started[1]);
        char ignored;
        while (read(started[0], &ignored, 1) < 0 && errno == EINTR) {
        }
        close(started[0]);
    }
    if (pid_ == 0) {
        // A group of its own, so helpers it forks (SDL shows its boxes from a
        // child process) end with it.
        setpgid(0, 0);
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0)
            _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (!directory.empty() && chdir(directory.c_str()) != 0)
            _exit(126);
        execve(args[0], args.data(), envp.data());
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    kill();
    if (pid_ > 0)
        ::kill(-pid_, SIGKILL); // whatever it left behind in its group
    if (!captureDirectory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(captureDirectory_, ignored);
    }
}

bool ChildProcess::reap(bool block)
{
    if (pid_ <= 0 || exited_)
        return exited_;
    int status = 0;
    pid_t r = waitpid(pid_, &status, block ? 0 : WNOHANG);
    if (r == pid_) {
        exited_ = true;
        if (WIFEXITED(status))
            code_ = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            signal_ = WTERMSIG(status);
    }
    return exited_;
}

bool ChildProcess::running()
{
    return pid_ > 0 && !reap(false);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!reap(false)) {
        if (pid_ <= 0 || std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return code_;
}

void ChildProcess::kill()
{
    if (pid_ > 0 && !reap(false)) {
        ::kill(-pid_, SIGKILL);
        reap(true);
    }
}

void ChildProcess::signal(int number)
{
    if (pid_ > 0 && !reap(false))
        ::kill(pid_, number);
}

std::string ChildProcess::standardOutput() const
{
    return readWholeFile(captureDirectory_ / "stdout");
}

std::string ChildProcess::standardError() const
{
    return readWholeFile(captureDirectory_ / "stderr");
}

std::optional<int> runCommand(const std::vector<std::string>& argv, std::chrono::milliseconds limit)
{
    ChildProcess helper(argv);
    if (!helper.started())
        return std::nullopt;
    return helper.waitForExit(limit);
}
