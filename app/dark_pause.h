#pragma once
// While every output the saver covers is dark, nothing is drawn or typed: the
// main loop waits on the window system's events instead, and looks at the
// outputs' power again at least once a second. A key or a move still ends the
// run, which the next drain sees. The desk's upkeep (the monitors read, the
// windows kept above, the keyboard kept) then waits for an event too: with
// nothing seen changing, each look would otherwise cost its round trips.

// Looks at the outputs when it is time to (at once on the first call) and
// says in the trace when the saver pauses and when it types on. True while
// every output is dark.
bool outputsDark();
// Whether this pass keeps the desk: always while lit, so also on the pass
// that finds the outputs lit again; in the dark only when an event waits.
bool deskUpkeepDue();
// In the dark: waits until an event comes or the next look is due.
void waitInTheDark();
