#pragma once
// Where the companion learns how long the session has seen no input. Each
// source is one file offering one of these; main tries them in turn and keeps
// the first the session answers.

struct IdleSource {
    // What it looks for, named in the line printed when no source answers.
    const char* name;
    // What it lives on, named when that goes away.
    const char* connection;
    // Connects and starts watching for afterMs of idleness; false when the
    // session does not offer it (nothing is left open then).
    bool (*open)(int afterMs);
    // The descriptor to wait on, or -1 when the source's events come over
    // the session bus.
    int (*descriptor)();
    // Sends what is queued before the wait.
    void (*flush)();
    // Reads and handles what arrived; false when the connection is gone.
    bool (*dispatch)();
    // Reports idle once the desk has seen no input for afterMs from now or
    // from a later input, not sooner (the decisions' watchIdle). Besides,
    // each source reports idle afterMs after any input on its own.
    void (*watchLonger)();
    // Whether something of this source's own holds the saver back.
    bool (*inhibited)();
    // Watches for afterMs of idleness in place of the time it was opened
    // with (a Wayland source counts it from now).
    void (*watchFor)(int afterMs);
    // Reports the next input, even one before any idle report (the
    // decisions' watchInput; a Wayland compositor tells input only after a
    // second without it).
    void (*watchInput)();
};

// What the sources report, read and cleared by main.
void reportIdle();
void reportActive();
bool takeIdleReport();
bool takeActiveReport();

extern const IdleSource mutterIdleSource;
extern const IdleSource extIdleSource;
extern const IdleSource kwinIdleSource;
extern const IdleSource x11IdleSource;
