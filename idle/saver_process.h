#pragma once
// The saver's process: started with the companion's own environment, ended
// with SIGTERM when the session locks or the companion is told to end.
#include <string>
#include <systemd/sd-event.h>

// Starts it, its end watched on loop (a failed one named in a line); false
// (with the reason in error) when it could not be started.
bool startSaver(sd_event* loop, const std::string& program, std::string& error);
bool saverRunning();
// Ends it with SIGTERM (its end is then no failure) and waits for it, 5 s at
// most, then kills it; returns once it is gone.
void endSaverAndWait();
