#pragma once
// At the end of a run: tell the user when the service knows a newer version.
#include <string>

extern const std::string localVersion;

// True when remote is a well-formed version (dot-separated decimal numbers,
// blanks, CR and LF around it ignored) greater than local, compared number by
// number with missing trailing numbers counting as 0.
bool isNewerVersion(const std::string& local, const std::string& remote);

// True when text is a version isNewerVersion can compare at all.
bool isComparableVersion(const std::string& text);

// The text of the notice, naming the product's web site.
std::string versionNoticeText();

// Shows the "New Version!" box when the bulletin's version is newer than ours.
void showVersionNotice();
