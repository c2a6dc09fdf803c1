#pragma once
// The one seam for time and chance: every pause, every wait for the window
// system, every reading of the clock and every random draw of the saver goes
// through here. The program binds it to SDL_Delay, SDL_WaitEventTimeout,
// SDL_GetTicks and rand; tests bind it to a recorder and a scripted sequence
// and run at full speed.
#include <cstdint>

using PauseFunction = void (*)(int milliseconds);
using RandomFunction = int (*)();
using ClockFunction = std::uint32_t (*)();

extern PauseFunction pauseFunction;
extern PauseFunction waitFunction;
extern RandomFunction randomFunction;
extern ClockFunction clockFunction;

// Blocks for the given milliseconds (SDL_Delay in the program).
void pauseFor(int milliseconds);
// Blocks until the window system has an event for the saver, at most for the
// given milliseconds (SDL_WaitEventTimeout in the program); the event stays
// queued for the next drain.
void waitForEvents(int milliseconds);
// Milliseconds since some fixed moment, wrapping (SDL_GetTicks in the program).
std::uint32_t millisecondsNow();
// One value of the standard generator (rand in the program), never negative.
int drawRandom();
// Puts the program's own bindings back.
void restoreDefaultPacing();
