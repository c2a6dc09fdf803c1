#pragma once
// The desk kept as the saver wants it: the outputs read, the page's window
// made again where a compositor needs that, the rest of the desk covered.
// The one place that works on the page's window and the covers together.

// Counts the changes of the monitors seen so far (switched off, on, moved).
extern unsigned monitorChanges;

// Makes the covers match the monitors showing now (see coverAroundPage).
// Cheap enough for every pass and every animation frame, so a monitor that
// comes back is covered at once. Nothing in a host's window, or before the
// page's window is open. On Wayland a change of the outputs makes the page's
// window and the covers anew, and it also keeps the pointer hidden and the
// page laid out for its window's pixels.
void keepDisplaysCovered();

// The page's window and its handles (releasePageWindow), then the covers.
void releaseDisplayHandles();
