#pragma once
// The display started and the page's window open, with the other monitors
// covered. What it fills, and loadAssets, are the page window's.
#include "display/page_window.h"

// Seeds the generator, starts the video with the hints the saver's windows
// need, opens the page's window (see openPageWindow) and, outside a host's
// window, hides the pointer and covers the other monitors. False when any of
// it fails.
bool initDisplay();
