#pragma once
// While every output the saver covers is dark, nothing is drawn or typed: the
// main loop waits on the window system's events instead, and looks at the
// outputs' power again at least once a second. A key or a move still ends the
// run, which the next drain sees.

// Looks at the outputs when it is time to (at once on the first call) and
// says in the trace when the saver pauses and when it types on. While dark,
// waits until an event comes or the next look is due, and returns true.
bool pausedWhileDark();
