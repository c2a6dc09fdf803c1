// tapwrite-idle: runs for the length of a session and starts the saver when
// the desk has seen no input for a while, never while an idle inhibitor is
// held or the session is locked. Woken only by events: the idle source's,
// the buses' signals, the saver's end and our own signals.
#include "idle/buses.h"
#include "idle/idle_source.h"
#include "idle/inhibitors.h"
#include "idle/lost_session.h"
#include "idle/options.h"
#include "idle/overview.h"
#include "idle/saver_process.h"
#include "idle/session_blank_time.h"
#include "idle/session_lock.h"
#include "idle/single_instance.h"
#include "idle/sleep_watch.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
// The first the session offers wins: GNOME's bus also serves its X11
// session, and a Wayland session may carry an X server of its own. Where a
// compositor offers both Wayland protocols, the standard one, which newer
// wlroots keeps alone.
const IdleSource* const sources[] = {&mutterIdleSource, &extIdleSource, &kwinIdleSource, &x11IdleSource};

const IdleSource* openSource(int afterMs)
{
    for (const IdleSource* source : sources)
        if (source->open(afterMs))
            return source;
    return nullptr;
}

void startWhenAllowed(const IdleSource& source, const std::string& program)
{
    if (saverRunning() || goingToSleep())
        return;
    // Asked again after another idle time: an unlock without input (a
    // LockedHint cleared) then brings the saver too.
    if (sessionLocked() || source.inhibited() || busInhibitorHeld()) {
        source.watchLonger();
        return;
    }
    closeShellOverview();
    std::string error;
    // A saver that cannot start waits for the next idle period, which
    // only input and another idle time bring.
    if (!startSaver(program, error))
        std::fprintf(stderr, "tapwrite-idle: cannot start the saver %s: %s\n", program.c_str(), error.c_str());
}

// Signals read from a descriptor, so the one wait sees them.
int signalDescriptor()
{
    sigset_t watched;
    sigemptyset(&watched);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&watched, s);
    sigprocmask(SIG_BLOCK, &watched, nullptr);
    return signalfd(-1, &watched, SFD_CLOEXEC | SFD_NONBLOCK);
}

// True when we were told to end.
bool readSignals(int fd, const std::string& program)
{
    signalfd_siginfo info {};
    bool end = false;
    while (read(fd, &info, sizeof info) == sizeof info)
        end = end || info.ssi_signo != SIGCHLD;
    std::string outcome;
    if (saverEnded(outcome) && !outcome.empty())
        std::fprintf(stderr, "tapwrite-idle: the saver %s %s\n", program.c_str(), outcome.c_str());
    return end;
}
}

int main(int argc, char** argv)
{
    std::string error;
    const std::optional<CompanionOptions> options = parseCompanionOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "tapwrite-idle: %s\n%s\n", error.c_str(), companionUsage);
        return 2;
    }
    if (options->help) {
        std::printf("%s\n", companionUsage);
        return 0;
    }
    if (options->version) {
        std::printf("tapwrite-idle %s\n", TAPWRITE_VERSION);
        return 0;
    }
    // A failure that a restart cannot mend has an exit of its own, on which
    // the unit does not restart.
    std::string lockFile, reason;
    switch (claimSession(lockFile, reason)) {
    case SessionClaim::Ours:
        break;
    case SessionClaim::Taken:
        std::fprintf(stderr, "tapwrite-idle: another tapwrite-idle runs in this session (%s)\n", lockFile.c_str());
        return TAPWRITE_IDLE_CANNOT_RUN;
    case SessionClaim::Unavailable:
        std::fprintf(stderr, "tapwrite-idle: cannot lock %s: %s\n", lockFile.c_str(), reason.c_str());
        return TAPWRITE_IDLE_CANNOT_RUN;
    }
    const int signals = signalDescriptor();
    openBuses();
    const IdleSource* source = openSource(chooseIdleTime(options->afterSeconds) * 1000);
    if (!source) {
        std::fprintf(stderr, "tapwrite-idle: no idle time to watch: looked for");
        for (const IdleSource* s : sources)
            std::fprintf(stderr, "%s %s", s == sources[0] ? "" : ",", s->name);
        std::fprintf(stderr, "\n");
        return TAPWRITE_IDLE_CANNOT_RUN;
    }
    watchSessionLock();
    watchSleep(*source);
    const std::string program = saverToStart(*options);

    for (;;) {
        pollfd fds[5];
        int count = 0;
        fds[count++] = {signals, POLLIN, 0};
        const int sourceFd = source->descriptor();
        if (sourceFd >= 0)
            fds[count++] = {sourceFd, POLLIN, 0};
        blankTimePollEntry(fds, count);
        source->flush();
        const int wait = busPollEntries(fds, count);
        if (poll(fds, nfds_t(count), wait) < 0 && errno != EINTR)
            endForLostSession("the wait");
        if (readSignals(signals, program))
            break;
        if (sourceFd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) && !source->dispatch())
            endForLostSession(source->connection);
        const char* bus = nullptr;
        if (!dispatchBuses(bus))
            endForLostSession(bus);
        if (takeActiveReport())
            inputCame();
        followBlankTime(*source);
        if (takeIdleReport())
            startWhenAllowed(*source, program);
    }
    endSaverAndWait();
    return 0;
}
