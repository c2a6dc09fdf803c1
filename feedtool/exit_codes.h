#pragma once
// The exit codes of tapwrite-feed: what the feed is worth, or that the tool
// itself could not do its work.
enum ExitCode : int {
    exitClean = 0,       // all is well (check), the picture was written (page)
    exitWarnings = 1,    // check: warnings, no errors
    exitErrors = 2,      // the feed gives every saver nothing (check: errors; page: nothing to draw)
    exitToolFailure = 3, // a wrong command line, a file it cannot read, the font, writing the picture
};
