#pragma once
// A connection the companion lives on (a bus, the compositor, the X server)
// went away: one line, the saver ended, exit 1, so that the session's
// service manager may start it again.
[[noreturn]] void endForLostSession(const char* what);
