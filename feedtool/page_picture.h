#pragma once
// `tapwrite-feed page`: the page as the saver shows it, drawn offscreen.
#include <string>

struct PagePicture {
    std::string feed;
    int width = 1920;
    int height = 1080;
    int lineCount = 48;        // the line whose last still frame is drawn (0: the fresh sheet)
    std::string output;        // the PNG file
    bool builtinText = false;  // a feed with nothing to type: draw the saver's built-in text
};

// Types the feed onto a fresh sheet of a width x height screen, with the
// saver's layout, assets, typing and drawing, but without random capitals or
// drops, up to the last still frame the saver shows of line lineCount, and
// saves that frame as a PNG. Returns the exit code (feedtool/exit_codes.h);
// says what went wrong on standard error.
int drawPagePicture(const PagePicture& picture);
