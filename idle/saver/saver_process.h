#pragma once
// The saver's process: started with the companion's own environment, ended
// with SIGTERM when the session locks or sleeps or the companion is told to
// end, and killed if it will not go.
#include <string>
#include <systemd/sd-event.h>

// Starts it, its end watched on loop (a failed one named in a line, then
// ended() called); false (with the reason in error) when it could not be
// started.
bool startSaver(sd_event* loop, const std::string& program, std::string& error, void (*ended)());
// Ends it with SIGTERM (its end is then no failure) and returns at once: the
// loop hears the rest meanwhile, and kills it 5 s on if it is still there.
void endSaver();
// The same, waiting for it to be gone (killed 5 s on); for the companion's end.
void endSaverAndWait();
