#pragma once
// The saver proper: display, paper feed, main loop, exit.

// Runs the saver until it is woken; returns the process exit code.
int runSaver();
// One pass of the main loop; false when the saver should stop.
bool mainLoopPass();
// Releases everything the run holds, in a fixed order.
void shutdownSaver();
