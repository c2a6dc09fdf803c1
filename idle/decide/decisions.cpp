#include "idle/decide/decisions.h"

namespace {
bool heldOff(const Session& s)
{
    return locked(s) || s.asleep;
}

int shieldOf(Service service)
{
    return int(service) - int(Service::GnomeShield);
}

// A shield's or the hint's word: one that falls says the session is
// unlocked, which ends a Lock before it too.
void said(Session& s, bool& state, bool on)
{
    if (state && !on)
        s.lockAsked = false;
    state = on;
}

// The idle time reached, or reached while a saver was up and now gone.
void idleReached(Session& s, Actions& a)
{
    if (s.saver != Saver::None) {
        // Only input says the person came back in between.
        s.idleMissed = true;
        a.watchInput = true;
    } else if (!heldOff(s)) {
        s.asking = true;
        a.askInhibitors = true;
    }
}
}

bool saidLocked(const Session& s)
{
    bool locked = s.lockedHint;
    for (bool shield : s.shields)
        locked = locked || shield;
    return locked;
}

bool locked(const Session& s)
{
    return saidLocked(s) || s.lockAsked;
}

Actions decide(Session& s, const Event& e)
{
    const bool wasHeldOff = heldOff(s);
    Actions a;
    switch (e.what) {
    case Heard::IdleReached:
        idleReached(s, a);
        break;
    case Heard::Inhibitor:
        s.inhibited = e.on;
        if (!s.asking)
            break;
        s.asking = false;
        // Held: asked again after another idle time, as nothing tells its end.
        if (s.inhibited)
            a.watchIdle = true;
        else if (s.saver == Saver::None && !heldOff(s)) {
            a.startSaver = true;
            s.saver = Saver::Starting;
        }
        break;
    case Heard::Input:
        s.idleMissed = false;
        // Rule d: a person is back, and only the locker's prompt was in the way.
        if (!saidLocked(s))
            s.lockAsked = false;
        break;
    case Heard::Lock:
        s.lockAsked = true;
        a.watchInput = true;
        break;
    case Heard::Unlock:
        s.lockAsked = false;
        break;
    case Heard::LockedHint:
        said(s, s.lockedHint, e.on);
        break;
    case Heard::Shield:
        said(s, s.shields[shieldOf(e.which)], e.on);
        break;
    case Heard::Sleep:
        s.asleep = true;
        break;
    case Heard::Resume:
        s.asleep = false;
        s.idleMissed = false;
        // The idle time counts afresh from the resume, whatever came before.
        a.watchIdle = true;
        break;
    case Heard::SaverStarted:
        if (s.saver == Saver::Starting)
            s.saver = Saver::Running;
        break;
    case Heard::SaverEnded: {
        const bool told = s.saver == Saver::Ending;
        s.saver = Saver::None;
        if (s.idleMissed) {
            s.idleMissed = false;
            idleReached(s, a);
        } else if (told) {
            // It went for a lock or a sleep: once that is over, or if it
            // already is, the idle time counts from now.
            a.watchIdle = true;
        }
        break;
    }
    case Heard::OwnerChanged:
        if (e.which == Service::Logind) {
            // A new logind knows nothing of a sleep or a Lock before it: its
            // PrepareForSleep(false) and Unlock may never come. Its hint is
            // read again and told next.
            if (e.on) {
                s.asleep = false;
                s.lockAsked = false;
                s.lockedHint = false;
            }
        } else {
            // None: no shield. A new one is read and told next.
            said(s, s.shields[shieldOf(e.which)], false);
        }
        break;
    }
    // Rule c: whatever holds a saver off ends one running.
    if (heldOff(s) && s.saver == Saver::Running) {
        a.endSaver = true;
        s.saver = Saver::Ending;
    }
    // Rule b: the end of a lock or a sleep, however said, starts the idle
    // time afresh; no input may come to start it.
    if (wasHeldOff && !heldOff(s))
        a.watchIdle = true;
    return a;
}
