#include "idle/saver_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
pid_t saver = 0;
bool endAsked = false;

std::string describe(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? "" : "exited with " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "was ended by signal " + std::to_string(WTERMSIG(status));
    return "";
}

void endSaver()
{
    if (saver > 0 && !endAsked) {
        kill(saver, SIGTERM);
        endAsked = true;
    }
}
}

bool startSaver(const std::string& program, std::string& error)
{
    // The saver starts with the ending signals blocked and unblocks them once
    // its own handlers are in: one ended in its first milliseconds still
    // ends cleanly rather than by the default action. The rest, and every
    // disposition, are as for a program started anywhere.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t blocked, defaults;
    sigemptyset(&blocked);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&blocked, s);
    defaults = blocked;
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigmask(&attributes, &blocked);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (failed) {
        error = std::strerror(failed);
        return false;
    }
    saver = pid;
    endAsked = false;
    return true;
}

bool saverRunning()
{
    return saver > 0;
}

bool saverEnded(std::string& outcome)
{
    if (saver <= 0)
        return false;
    int status = 0;
    if (waitpid(saver, &status, WNOHANG) != saver)
        return false;
    outcome = endAsked ? "" : describe(status);
    saver = 0;
    return true;
}

void endSaverAndWait()
{
    if (saver <= 0)
        return;
    endSaver();
    std::string ignored;
    // Without a handler the wait is short: every 20 ms for 5 s.
    for (int i = 0; i < 250 && !saverEnded(ignored); ++i) {
        const timespec step {0, 20 * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
    if (saver > 0) {
        kill(saver, SIGKILL);
        waitpid(saver, nullptr, 0);
        saver = 0;
    }
}
