#pragma once
// What ends the saver: a key press, the pointer moving 36 pixels or more from
// where it first moved (or from where the system put it when the monitors
// changed), or a quit request: a close request, a termination request, or a
// host that asks or takes its window away.

extern bool mouseOriginSet;
extern int mouseOriginX;
extern int mouseOriginY;
extern bool quitRequested;

// Applies the mouse rule to the pointer standing at (x, y); true when it fires.
bool mouseRuleFires(int x, int y);

// Where the pointer stands, in the desktop coordinates all of the saver's
// windows share.
void pointerOnDesktop(int& x, int& y);

// Looks at the monitors again and, when they changed, takes the pointer's
// position now as the origin: a move the system made is no one's.
void followMonitorChanges();

// Drains the SDL event queue as the main loop does at the start of each pass,
// laying the page out anew when a host's window changed size. True when the
// saver should stop.
bool drainEventsAndCheckWake();
