#include "idle/saver/saver_process.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <sys/epoll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
// How long a saver told to end has before it is killed.
constexpr int endingMs = 5000;

pid_t saver = 0;
// Readable once the saver has ended: the loop and endSaverAndWait both wait on it.
int saverFd = -1;
sd_event_source* endWatch = nullptr;
sd_event_source* killTimer = nullptr;
std::string started;
bool endAsked = false;
void (*whenEnded)() = nullptr;

std::string describe(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? "" : "exited with " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "was ended by signal " + std::to_string(WTERMSIG(status));
    return "";
}

// Reaps it (waiting when it has not ended) and lets go of what watched it.
int reap()
{
    int status = 0;
    while (waitpid(saver, &status, 0) < 0 && errno == EINTR) {
    }
    endWatch = sd_event_source_unref(endWatch);
    killTimer = sd_event_source_unref(killTimer);
    close(saverFd);
    saverFd = -1;
    saver = 0;
    return status;
}

int onSaverEnded(sd_event_source*, int, std::uint32_t, void*)
{
    const std::string outcome = describe(reap());
    if (!endAsked && !outcome.empty())
        std::fprintf(stderr, "tapwrite-idle: the saver %s %s\n", started.c_str(), outcome.c_str());
    whenEnded();
    return 0;
}

int onEndingTooLong(sd_event_source*, std::uint64_t, void*)
{
    kill(saver, SIGKILL);
    return 0;
}

// Asked once; its end then is no failure.
void askToEnd()
{
    if (!endAsked)
        kill(saver, SIGTERM);
    endAsked = true;
}
}

bool startSaver(sd_event* loop, const std::string& program, std::string& error, void (*ended)())
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
    whenEnded = ended;
    started = program;
    saverFd = int(syscall(SYS_pidfd_open, pid, 0));
    const int watched = saverFd < 0 ? -errno : sd_event_add_io(loop, &endWatch, saverFd, EPOLLIN, onSaverEnded, nullptr);
    if (watched < 0) {
        // A saver whose end cannot be seen would block every one after it.
        kill(saver, SIGKILL);
        reap();
        error = std::strerror(-watched);
        return false;
    }
    return true;
}

void endSaver()
{
    if (saver <= 0 || endAsked)
        return;
    askToEnd();
    // Without the timer it is only asked: one that will not go stays.
    sd_event_add_time_relative(sd_event_source_get_event(endWatch), &killTimer, CLOCK_MONOTONIC,
        std::uint64_t(endingMs) * 1000, 0, onEndingTooLong, nullptr);
}

void endSaverAndWait()
{
    if (saver <= 0)
        return;
    askToEnd();
    pollfd ended {saverFd, POLLIN, 0};
    int r;
    while ((r = poll(&ended, 1, endingMs)) < 0 && errno == EINTR) {
    }
    if (r == 0)
        kill(saver, SIGKILL);
    reap();
}
