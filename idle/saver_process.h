#pragma once
// The saver's process: started with the companion's own environment, ended
// with SIGTERM when the session locks or the companion is told to end.
#include <string>

// Starts it; false (with the reason in error) when it could not be started.
bool startSaver(const std::string& program, std::string& error);
bool saverRunning();
// Reaps it if it ended; true once, when it did, with its status described
// in outcome ("" for a clean end, or one asked for with endSaverAndWait).
bool saverEnded(std::string& outcome);
// Ends it with SIGTERM (its end is then no failure) and waits for it, a few
// seconds at most, then kills it.
void endSaverAndWait();
