#pragma once
// On an X11 session, the server's own blank time: its screen-saver time, or
// where DPMS is on and comes first, the monitor's standby.
#include "idle/session/blank_time.h"

// seconds 0 when the session is not X11's or the server blanks never.
BlankTime x11BlankTime();
