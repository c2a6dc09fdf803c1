#pragma once
// The one seam for time and chance: every pause and every random draw of the
// saver goes through here. The program binds it to SDL_Delay and rand; tests
// bind it to a recorder and a scripted sequence and run at full speed.

using PauseFunction = void (*)(int milliseconds);
using RandomFunction = int (*)();

extern PauseFunction pauseFunction;
extern RandomFunction randomFunction;

// Blocks for the given milliseconds (SDL_Delay in the program).
void pauseFor(int milliseconds);
// One value of the standard generator (rand in the program), never negative.
int drawRandom();
// Puts the program's own bindings back.
void restoreDefaultPacing();
