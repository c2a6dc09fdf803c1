#pragma once
// `tapwrite-feed page`: the page as the saver shows it, drawn offscreen.
#include <string>

// Types the feed's first lineCount lines (at most a page) onto a fresh sheet
// of a width x height screen, with the saver's layout, assets and drawing, but
// without random capitals or drops, and saves the frame as a PNG. Returns the
// exit code; says what went wrong on standard error.
int drawPagePicture(const std::string& feed, int width, int height, int lineCount, const std::string& output);
