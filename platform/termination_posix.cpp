// Termination requests: SIGTERM (a session ending, a host stopping its hack),
// SIGINT (Ctrl-C) and SIGHUP (the terminal gone). Each ends the program with
// 0, as a close request does. Ours, not SDL's: SDL installs its own handler
// only where it finds the default one, and knows no SIGHUP.
#include "platform/platform.h"

#include <csignal>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t watched = 0;
volatile std::sig_atomic_t requested = 0;
pid_t ourProcess = 0;

void onTerminationRequest(int)
{
    // Nothing would look at a note here for seconds, or at all: a stalled
    // request, a modal box.
    if (!watched)
        _exit(0);
    requested = 1;
}

// SDL shows its boxes from a child process, which would stay up with the box
// after we ended; it ends with us instead.
void childEndsWithUs()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != ourProcess)
        _exit(0);
}
}

void platformCatchTerminationRequests()
{
    // Called before the libraries start and again by the entry routine.
    if (ourProcess != 0)
        return;
    ourProcess = getpid();
    pthread_atfork(nullptr, nullptr, childEndsWithUs);
    struct sigaction action {};
    action.sa_handler = onTerminationRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        // A signal ignored by whoever started us (nohup) stays ignored.
        struct sigaction before {};
        if (sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(number, &action, nullptr);
    }
    // A caller may start us with them blocked, so that one sent while the
    // libraries still load waits for the handler instead of killing us.
    sigset_t requests;
    sigemptyset(&requests);
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&requests, number);
    sigprocmask(SIG_UNBLOCK, &requests, nullptr);
}

void platformWatchTermination(bool watch)
{
    watched = watch;
}

bool platformTerminationRequested()
{
    return requested != 0;
}
