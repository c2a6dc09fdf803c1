#pragma once
// The companion's decisions, in one place: when a saver may start and when
// one must end. A plain state of the session and the saver, changed only by
// the events the sources and the buses hear, each answered with what to do.
// No bus and no window system here: main carries the actions out.
//
// Its rules:
// a. no saver starts while the session is locked, about to sleep, or held
//    off by an inhibitor;
// b. after any end of a lock (logind's Unlock, LockedHint, a shield, or the
//    first input where nothing says it) or of a sleep, and after any input,
//    the next idle time with nothing holding it off brings a saver;
// c. at most one saver; one running when a lock or a sleep comes is told to
//    end at once;
// d. a lock that nothing will say has ended ends at the first input after
//    it: the watch for that input is set at the lock itself.

// The services whose word counts; the shields are GNOME's, KDE Plasma's and
// Cinnamon's screen lockers.
enum class Service { Logind, GnomeShield, PlasmaShield, CinnamonShield };
constexpr int shieldCount = 3;

enum class Heard {
    // The desk has seen no input for the idle time.
    IdleReached,
    // A person's input, where it was watched for.
    Input,
    // logind's Lock and Unlock of this session.
    Lock,
    Unlock,
    // logind's LockedHint of this session, read or changed (on: locked).
    LockedHint,
    // A shield's state, read or changed (which, on: active).
    Shield,
    // The answer to askInhibitors (on: one is held).
    Inhibitor,
    // logind's PrepareForSleep(true), and (false) after the resume.
    Sleep,
    Resume,
    // The saver's process started; it ended, or could not start.
    SaverStarted,
    SaverEnded,
    // A service (which) got a new owner (on) or lost its owner. The caller
    // then reads the new owner's state and tells it as LockedHint or Shield.
    OwnerChanged,
};

struct Event {
    Heard what;
    bool on = false;
    Service which = Service::Logind;
};

// What to do, in this order.
struct Actions {
    // Tell the running saver to end (it is killed later if it will not).
    bool endSaver = false;
    // Report the next input, even one before the next idle time.
    bool watchInput = false;
    // Report idle once the desk has seen no input for the idle time from
    // now (or from a later input), and no sooner.
    bool watchIdle = false;
    // Ask whether an inhibitor is held, and tell the answer as Inhibitor.
    bool askInhibitors = false;
    // Start a saver, and tell SaverStarted or SaverEnded.
    bool startSaver = false;
};

enum class Saver { None, Starting, Running, Ending };

struct Session {
    // logind's Lock, held until something says the session is unlocked or,
    // where nothing does, until the next input.
    bool lockAsked = false;
    bool lockedHint = false;
    bool shields[shieldCount] = {};
    bool asleep = false;
    // As last answered; asked again at each idle time.
    bool inhibited = false;
    // Inhibitors asked at an idle time, the answer not yet told.
    bool asking = false;
    // The idle time came while a saver was still up (one closing slowly, or
    // its box left open), and no input since: its end starts the next.
    bool idleMissed = false;
    Saver saver = Saver::None;
};

// Locked as the session says it (LockedHint, a shield).
bool saidLocked(const Session& session);
// Locked as said, or by a Lock not yet ended.
bool locked(const Session& session);
// What the event changes, and what to do about it.
Actions decide(Session& session, const Event& event);
