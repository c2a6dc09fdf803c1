#pragma once
// A host's window that changes size (a settings dialog resized, a preview pane
// that grows) gets the page laid out anew, as a hack reshapes.

// In host mode: the layout of a window of this size, the paper, the font and
// so the lines with it; the typing goes on where it was. Nothing when the size
// is the layout's own, or outside host mode, where the page keeps the
// desktop's size.
void reshapePage(int width, int height);
// The page laid out for a window of this size, with the font at its new size;
// false, with the page as it was, when the size is the layout's own or the
// font cannot be opened at it.
bool layPageOutAnew(int width, int height);
