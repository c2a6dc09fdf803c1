#pragma once
// Binds the pause and chance seam to a recorder and a scripted sequence, so a
// test runs whole pages at full speed and sees every pause and wait asked
// for; its clock moves on by each of them.
#include <vector>

struct ScriptedPacing {
    // Installs the recorder; random values come from script, then fallback forever.
    ScriptedPacing(std::vector<int> script = {}, int fallback = 0);
    // Puts the program's own bindings back.
    ~ScriptedPacing();

    // Every pause requested, in order.
    static std::vector<int>& pauses();
    // Every wait for the window system's events, in order.
    static std::vector<int>& waits();
    // Adds values to the end of the script.
    static void append(const std::vector<int>& values);
    // How many random values have been drawn.
    static int draws();
    // Called at every pause, before it is recorded (for placement checks).
    static void onPause(void (*observer)(int milliseconds));
};
