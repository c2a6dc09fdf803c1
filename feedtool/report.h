#pragma once
// The report of `tapwrite-feed check`: a listing of what the saver types, the
// findings with where they stand, their totals and the exit code they give.
#include <map>
#include <string>
#include <string_view>
#include <vector>

enum class Severity {
    Warning, // the saver goes on, but not as the feed's author may think
    Error,   // every saver ignores the feed and types its built-in text
};

// Where a finding stands: a source (file or URL), and a line of it (0: none).
struct Place {
    std::string source;
    long line = 0;
};

class Report {
public:
    // A line of the listing (left out when quiet).
    void list(std::string line);
    // A finding of a kind ("UTF-8 lines", a plural the totals fold with); the
    // first few of each kind are printed, the rest counted.
    void add(Severity severity, const Place& place, const std::string& kind, std::string text);
    // The tool itself could not go on (the font would not open, say).
    void failTool(std::string message);
    // Prints the report (quiet: the findings alone), every line through
    // shownText, and gives the exit code.
    int print(bool quiet) const;

private:
    struct Finding {
        Severity severity;
        std::string where;
        std::string text;
    };
    struct Kind {
        Severity severity;
        std::string source;
        int count = 0;
    };
    std::vector<std::string> listing_;
    std::vector<Finding> findings_;
    std::vector<std::string> kindOrder_;
    std::map<std::string, Kind> kinds_;
    std::vector<std::string> toolFailures_;

    std::vector<Finding> printedFindings() const;
    int total(Severity severity) const;
};

// What reaches the terminal: control characters (C0, DEL, C1) never pass raw,
// but as \xNN, one for each of their bytes.

// Bytes as the saver's screen shows them (each one a Latin-1 character), in
// UTF-8 for the terminal, control bytes escaped; at most `most` of them.
std::string shown(std::string_view bytes, std::size_t most = 200);
// The same in double quotes.
std::string quoted(std::string_view bytes);
// Text from elsewhere (a file name, the system's or libcurl's words, which a
// server may have chosen): well-formed UTF-8 kept, control characters and
// bytes of no character escaped. Leaves the output of shown as it is.
std::string shownText(std::string_view text);
// A line of the tool's own on standard error, after "tapwrite-feed: ".
void printToolMessage(std::string_view message);
// The length of the well-formed, shortest UTF-8 character at bytes[at], its
// code point in code; 0 when none starts there.
std::size_t utf8Character(std::string_view bytes, std::size_t at, char32_t& code);
// "1 entry", "2 entries": a count with its noun (singular, plural).
std::string counted(std::size_t count, const char* one, const char* many);
