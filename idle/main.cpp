// tapwrite-idle: runs for the length of a session and starts the saver when
// the desk has seen no input for a while, never while an idle inhibitor is
// held or the session is locked. Woken only by events: the idle source's,
// the buses' signals, the saver's end and our own signals. What they say
// goes to the decisions (decisions.h), and what those answer is done here.
#include "idle/decide/companion.h"
#include "idle/desk/idle_source.h"
#include "idle/options.h"
#include "idle/saver/overview.h"
#include "idle/saver/saver_process.h"
#include "idle/session/buses.h"
#include "idle/session/inhibitors.h"
#include "idle/session/lost_session.h"
#include "idle/session/session_blank_time.h"
#include "idle/session/session_lock.h"
#include "idle/session/sleep_watch.h"
#include "idle/session/user_environment.h"
#include "idle/single_instance.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sys/epoll.h>
#include <systemd/sd-event.h>

namespace {
// The first the session offers wins: GNOME's bus also serves its X11
// session, and a Wayland session may carry an X server of its own. Where a
// compositor offers both Wayland protocols, the standard one, which newer
// wlroots keeps alone.
const IdleSource* const sources[] = {&mutterIdleSource, &extIdleSource, &kwinIdleSource, &x11IdleSource};
// A display that comes late (a user unit started before the session's
// display reached it, or before its server answers) is looked for again
// at these seconds from the start, then given up.
constexpr int triesAtSeconds[] = {2, 5, 10, 20, 40, 60};

// The one opened, the saver it starts, the loop, and what the decisions know.
const IdleSource* source = nullptr;
std::string program;
sd_event* loop = nullptr;
Session session;
constexpr int endingSignals[] = {SIGTERM, SIGINT, SIGHUP};

const IdleSource* openSource(int afterMs)
{
    for (const IdleSource* s : sources)
        if (s->open(afterMs))
            return s;
    return nullptr;
}

// Waits for the next try, hearing only the ending signals; true when one came.
bool endedBefore(std::chrono::steady_clock::time_point next, const sigset_t& ending)
{
    for (auto now = std::chrono::steady_clock::now(); now < next; now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(next - now).count();
        const timespec wait {time_t(left / 1000000000), long(left % 1000000000)};
        if (sigtimedwait(&ending, nullptr, &wait) > 0)
            return true;
    }
    return false;
}

const IdleSource* openSourceWhenItComes(int afterMs, const sigset_t& ending)
{
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t tried = 0;; ++tried) {
        takeDisplayFromUserManager();
        if (const IdleSource* s = openSource(afterMs))
            return s;
        if (tried == std::size(triesAtSeconds))
            return nullptr;
        if (endedBefore(start + std::chrono::seconds(triesAtSeconds[tried]), ending))
            std::exit(0);
    }
}

void saverEnded()
{
    hear({Heard::SaverEnded});
}

void startTheSaver()
{
    closeShellOverview();
    std::string error;
    if (startSaver(loop, program, error, saverEnded)) {
        hear({Heard::SaverStarted});
        return;
    }
    std::fprintf(stderr, "tapwrite-idle: cannot start the saver %s: %s\n", program.c_str(), error.c_str());
    hear({Heard::SaverEnded});
}

void carryOut(const Actions& actions)
{
    if (actions.endSaver)
        endSaver();
    if (actions.watchInput)
        source->watchInput();
    if (actions.watchIdle)
        source->watchLonger();
    if (actions.askInhibitors)
        hear({Heard::Inhibitor, source->inhibited() || busInhibitorHeld()});
    if (actions.startSaver)
        startTheSaver();
}

// The ending signals, blocked before any thread starts so that only the
// loop's own descriptor takes them; the set returned.
sigset_t blockEndingSignals()
{
    sigset_t ending;
    sigemptyset(&ending);
    for (int s : endingSignals)
        sigaddset(&ending, s);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    return ending;
}

int onEndingSignal(sd_event_source* signal, const signalfd_siginfo*, void*)
{
    return sd_event_exit(sd_event_source_get_event(signal), 0);
}

// What the source reported, in the order it came: input, then idle.
void takeReports()
{
    if (takeActiveReport())
        hear({Heard::Input});
    if (takeIdleReport())
        hear({Heard::IdleReached});
}

int onSourceEvents(sd_event_source*, int, std::uint32_t, void*)
{
    if (!source->dispatch())
        endForLostSession(source->connection);
    takeReports();
    return 0;
}

int beforeWait(sd_event_source*, void*)
{
    source->flush();
    return 0;
}

// What came over the buses (GNOME's idle monitor, a setting), once all
// that came is read.
void afterEvents()
{
    takeReports();
    followBlankTime(*source);
}

int onEventsDone(sd_event_source*, void*)
{
    afterEvents();
    return 0;
}

// The setting's file is read in afterEvents, with GNOME's.
int onBlankTimeTouched(sd_event_source*, int, std::uint32_t, void*)
{
    return 0;
}

// The loop keeps it from now on.
void handOver(sd_event_source* event)
{
    sd_event_source_set_floating(event, 1);
    sd_event_source_unref(event);
}

// Fails only without memory or descriptors: a line and exit 1, as for a lost session.
void added(int r, const char* what)
{
    if (r < 0) {
        std::fprintf(stderr, "tapwrite-idle: cannot wait on %s: %s\n", what, std::strerror(-r));
        endSaverAndWait();
        std::exit(1);
    }
}
}

void hear(const Event& event)
{
    carryOut(decide(session, event));
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
    const sigset_t ending = blockEndingSignals();
    openBuses();
    added(sd_event_default(&loop), "events");
    source = openSourceWhenItComes(chooseIdleTime(options->afterSeconds) * 1000, ending);
    if (!source) {
        std::fprintf(stderr, "tapwrite-idle: no idle time to watch: looked for");
        for (const IdleSource* s : sources)
            std::fprintf(stderr, "%s %s", s == sources[0] ? "" : ",", s->name);
        std::fprintf(stderr, "\n");
        return TAPWRITE_IDLE_CANNOT_RUN;
    }
    program = saverToStart(*options);
    watchSessionLock();
    watchSleep();
    for (int s : endingSignals) {
        sd_event_source* signal = nullptr;
        added(sd_event_add_signal(loop, &signal, s, onEndingSignal, nullptr), "signals");
        // Told to end, nothing else is acted on.
        sd_event_source_set_priority(signal, SD_EVENT_PRIORITY_IMPORTANT);
        handOver(signal);
    }
    attachBuses(loop);
    if (const int fd = source->descriptor(); fd >= 0) {
        sd_event_source* events = nullptr;
        added(sd_event_add_io(loop, &events, fd, EPOLLIN, onSourceEvents, nullptr), source->connection);
        added(sd_event_source_set_prepare(events, beforeWait), source->connection);
        handOver(events);
    }
    if (const int fd = blankTimeDescriptor(); fd >= 0)
        added(sd_event_add_io(loop, nullptr, fd, EPOLLIN, onBlankTimeTouched, nullptr), "the lock time's file");
    added(sd_event_add_post(loop, nullptr, onEventsDone, nullptr), "events");
    // A desk already idle at the start was reported while the source opened.
    afterEvents();
    added(sd_event_loop(loop), "events");
    endSaverAndWait();
    return 0;
}
