#include "idle/session/session_blank_time.h"

#include "idle/desk/idle_source.h"
#include "idle/desk/x11_blank_time.h"
#include "idle/session/gnome_blank_time.h"
#include "idle/session/plasma_lock_time.h"

#include <cstdio>

namespace {
// Where the session tells no time of its own.
constexpr int defaultAfter = 300;

int given = 0;
bool gsettingsDesk = false;
bool plasma = false;
int plasmaWatch = -1;
long long followed = 0;

BlankTime sessionTime()
{
    if (gsettingsDesk)
        return gsettingsBlankTime();
    if (plasma)
        return plasmaLockTime();
    return {};
}

// Half, rounded; 1 s at least, so no watch is for 0 s.
int halfOf(long long seconds)
{
    const long long half = (seconds + 1) / 2;
    return half < 1 ? 1 : half > longestAfter ? longestAfter : int(half);
}

int decide(const BlankTime& session)
{
    if (given) {
        std::fprintf(stderr, "tapwrite-idle: the saver after %d s, as --after asks\n", given);
        return given;
    }
    if (session.seconds > 0) {
        const int after = halfOf(session.seconds);
        std::fprintf(stderr, "tapwrite-idle: the saver after %d s, half of %s\n", after, session.whose);
        return after;
    }
    std::fprintf(stderr, "tapwrite-idle: the saver after %d s, as the session tells no blank or lock time\n",
        defaultAfter);
    return defaultAfter;
}

void warnIfLate(int after, const BlankTime& time)
{
    if (time.seconds > 0 && after >= time.seconds)
        std::fprintf(stderr,
            "tapwrite-idle: the saver will not show before the session blanks or locks: %d s is at or past %s (%s: "
            "%lld s)\n",
            after, time.whose, time.setting, time.seconds);
}
}

int chooseIdleTime(int afterSeconds)
{
    given = afterSeconds;
    gsettingsDesk = onGsettingsDesk();
    plasma = onPlasma();
    // Watched before the first read, so no change falls between.
    if (gsettingsDesk)
        watchGsettingsBlankTime();
    if (plasma)
        plasmaWatch = watchPlasmaLockTime();
    const BlankTime session = sessionTime();
    followed = session.seconds;
    const int after = decide(session);
    warnIfLate(after, session);
    warnIfLate(after, x11BlankTime());
    return after;
}

int blankTimeDescriptor()
{
    return plasmaWatch;
}

void followBlankTime(const IdleSource& source)
{
    // Both read, to clear what each queued.
    const bool gsettingsTouched = gsettingsBlankTimeTouched();
    const bool plasmaTouched = plasmaLockTimeTouched();
    if (!gsettingsTouched && !plasmaTouched)
        return;
    const BlankTime session = sessionTime();
    if (session.seconds == followed)
        return;
    followed = session.seconds;
    if (given) {
        warnIfLate(given, session);
        return;
    }
    source.watchFor(decide(session) * 1000);
}
