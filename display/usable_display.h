#pragma once
// A display the saver can be seen on, or none.

// Starts SDL's video. False, after a line on standard error, when there is no
// display to show the saver on: SDL could not start, or found only a driver
// that shows nothing.
bool startVideo();
