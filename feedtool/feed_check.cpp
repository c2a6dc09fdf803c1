#include "feedtool/feed_check.h"

#include "display/display_setup.h"
#include "display/page_drawing.h"
#include "display/page_layout.h"
#include "feedtool/feed_source.h"
#include "service/bulletin.h"
#include "service/text_feed.h"
#include "service/version_notice.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>
#include <vector>

namespace {

// The screens every line is measured on.
constexpr struct {
    int width;
    int height;
} measuredScreens[] = {{1366, 768}, {1920, 1080}};

// A problem of one kind is listed this many times; the rest are counted.
constexpr int listedPerKind = 10;

struct Problem {
    bool error;
    std::string where; // "name" or "name:line"
    std::string text;
};

struct Findings {
    std::vector<std::string> report;
    std::vector<Problem> problems;
    std::map<std::string, int> perKind;

    void add(bool error, const std::string& where, const std::string& kind, const std::string& text)
    {
        if (++perKind[kind] <= listedPerKind)
            problems.push_back({error, where, text});
    }
    void foldedCounts()
    {
        for (const auto& [kind, count] : perKind)
            if (count > listedPerKind)
                problems.push_back({false, "", std::to_string(count - listedPerKind) + " more of this kind: " + kind});
    }
};

// Bytes as the saver's screen shows them (each one Latin-1 character), in
// UTF-8 for the terminal; control bytes as \xNN.
std::string shown(std::string_view bytes, std::size_t most = 200)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < most; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x20 || (c >= 0x7f && c < 0xa0)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    if (bytes.size() > most)
        out += "... (" + std::to_string(bytes.size()) + " characters)";
    return out;
}

std::string quoted(std::string_view bytes)
{
    return "\"" + shown(bytes) + "\"";
}

// Line numbers as an editor counts them: LF, CR LF and a lone CR each end a line.
class LineIndex {
public:
    explicit LineIndex(std::string_view body)
    {
        starts_.push_back(0);
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i] == '\n' || (body[i] == '\r' && (i + 1 == body.size() || body[i + 1] != '\n')))
                starts_.push_back(i + 1);
        }
    }
    long lineOf(std::size_t offset) const
    {
        return static_cast<long>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin());
    }

private:
    std::vector<std::size_t> starts_;
};

// True when the bytes hold a well-formed UTF-8 sequence of two to four bytes:
// text saved as UTF-8, which the saver shows byte by byte.
bool holdsUtf8(std::string_view bytes)
{
    auto continuation = [&](std::size_t i) {
        return i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0xc0) == 0x80;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const int more = c >= 0xc2 && c <= 0xdf ? 1 : (c >= 0xe0 && c <= 0xef ? 2 : (c >= 0xf0 && c <= 0xf4 ? 3 : 0));
        if (more == 0)
            continue;
        bool whole = true;
        for (int k = 1; k <= more; ++k)
            whole = whole && continuation(i + k);
        if (whole)
            return true;
    }
    return false;
}

struct Entry {
    std::string bytes;
    long line;
};

struct MeasuredScreen {
    std::string name;
    TTF_Font* font;
    int width; // from the left margin to the paper's right edge
};

std::vector<MeasuredScreen> openMeasuredScreens()
{
    std::vector<MeasuredScreen> screens;
    for (const auto& size : measuredScreens) {
        PageLayout layout = computePageLayout(size.width, size.height);
        TTF_Font* font = openPageFont(layout);
        if (!font) {
            for (const MeasuredScreen& opened : screens)
                TTF_CloseFont(opened.font);
            return {};
        }
        screens.push_back({std::to_string(size.width) + "x" + std::to_string(size.height), font,
            layout.paperRect.x + layout.paperRect.w - static_cast<int>(layout.textX)});
    }
    return screens;
}

void checkEntryText(const Entry& entry, const std::string& where, const std::vector<MeasuredScreen>& screens,
    Findings& f)
{
    if (holdsUtf8(entry.bytes))
        f.add(false, where, "UTF-8 lines",
            "UTF-8 text: each such letter shows as two or three characters: " + quoted(entry.bytes));

    bool missing[256] = {};
    std::string absent;
    for (char c : entry.bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (!missing[byte] && !TTF_GlyphIsProvided(screens.front().font, byte)) {
            missing[byte] = true;
            absent += (absent.empty() ? "" : ", ") + quoted(std::string_view(&c, 1));
        }
    }
    if (!absent.empty())
        f.add(false, where, "lines with characters the font lacks",
            "the font has no glyph for " + absent + ": it shows a blank or a box there");

    std::string past;
    for (const MeasuredScreen& screen : screens) {
        const std::size_t fit = charactersThatFit(screen.font, entry.bytes, screen.width);
        if (fit >= entry.bytes.size())
            continue;
        past += past.empty() ? "" : " and ";
        past += "at " + screen.name + " after character " + std::to_string(fit);
        if (fit > 0)
            past += " (" + quoted(std::string_view(entry.bytes).substr(fit - 1, 1)) + ")";
    }
    if (!past.empty())
        f.add(false, where, "lines past the paper's edge", "runs past the paper's right edge " + past);
}

void checkFeedBody(const FeedSource& source, Findings& f)
{
    const std::string_view body = source.bytes;
    const LineIndex index(body);
    auto at = [&](std::size_t offset) { return source.name + ":" + std::to_string(index.lineOf(offset)); };

    const std::size_t nul = body.find('\0');
    const std::string_view readable = body.substr(0, nul);
    if (nul != std::string_view::npos)
        f.add(false, at(nul), "NUL bytes",
            "a NUL byte: the saver reads nothing after it (" + std::to_string(body.size() - nul) + " bytes lost)");
    const auto crs = std::count(readable.begin(), readable.end(), '\r');
    const auto lfs = std::count(readable.begin(), readable.end(), '\n');
    if (crs == 0 && lfs > 0)
        f.add(false, at(0), "LF-only feeds",
            "no CR line ends but " + std::to_string(lfs) + " LF ones: the saver types the whole feed as one single line");
    for (std::size_t i = 0; i + 1 < readable.size(); ++i)
        if (readable[i] == '\r' && readable[i + 1] != '\n')
            f.add(false, at(i), "CRs without LF",
                "a CR followed by " + quoted(readable.substr(i + 1, 1)) + " instead of LF: that byte is lost");

    std::vector<Entry> entries;
    std::vector<Entry> hidden;
    forEachFeedLine(source.bytes.data(), source.bytes.size(), [&](const FeedLine& line) {
        (line.hidden ? hidden : entries).push_back({std::string(line.bytes), index.lineOf(line.offset)});
    });

    f.report.push_back("feed: " + source.name + " (" + std::to_string(body.size()) + " bytes, "
        + std::to_string(entries.size()) + (entries.size() == 1 ? " entry, " : " entries, ")
        + std::to_string(hidden.size()) + (hidden.size() == 1 ? " hidden line)" : " hidden lines)"));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i == 0)
            f.report.push_back("  typed once, as the opening:");
        if (i == 4)
            f.report.push_back("  typed again and again, from entry 5 on:");
        char number[48];
        std::snprintf(number, sizeof number, "  %6zu  line %-6ld ", i + 1, entries[i].line);
        f.report.push_back(number + quoted(entries[i].bytes));
    }
    if (!hidden.empty())
        f.report.push_back("  hidden, never typed:");
    for (const Entry& line : hidden)
        f.report.push_back("          line " + std::to_string(line.line) + "  " + quoted(line.bytes));

    std::vector<std::string> texts;
    for (const Entry& e : entries)
        texts.push_back(e.bytes);
    if (!feedHasText(texts)) {
        f.add(true, source.name, "empty feeds",
            "nothing to type: no entry holds a character, so every saver types its built-in text instead");
        return;
    }
    if (entries.size() < 5)
        f.add(false, source.name, "short feeds",
            "only " + std::to_string(entries.size()) + (entries.size() == 1 ? " entry" : " entries")
                + ": with fewer than five there is no loop, and the saver starts over from the first");
    else if (std::all_of(entries.begin() + 4, entries.end(), [](const Entry& e) { return e.bytes.empty(); }))
        f.add(false, source.name, "empty loops",
            "entries 5 to " + std::to_string(entries.size())
                + " are all empty: after the opening the saver types blank lines for ever");

    const std::vector<MeasuredScreen> screens = openMeasuredScreens();
    if (screens.empty()) {
        f.add(true, fontPath(), "missing fonts", "cannot open the saver's font: " + std::string(TTF_GetError()));
        return;
    }
    for (const Entry& entry : entries)
        checkEntryText(entry, source.name + ":" + std::to_string(entry.line), screens, f);
    for (const MeasuredScreen& screen : screens)
        TTF_CloseFont(screen.font);
}

void checkBulletin(const std::string& name, Findings& f)
{
    const FeedSource source = readSource(name, bulletinRequest);
    f.report.push_back("bulletin: " + name);
    if (!source.usable) {
        f.add(false, name, "unusable bulletins",
            "the saver gets no bulletin (" + source.problem + "), so it never shows a version notice");
        return;
    }
    ServiceBulletin bulletin;
    parseBulletin(source.bytes.data(), source.bytes.size(), bulletin);
    f.report.push_back("  version     " + quoted(bulletin.version));
    f.report.push_back("  messageNum  " + quoted(bulletin.messageNum));
    f.report.push_back("  message     " + quoted(bulletin.message));

    const std::string_view readable = std::string_view(source.bytes).substr(0, source.bytes.find('\0'));
    for (const char* key : {messageNumKey, messageKey})
        if (readable.find(key) == std::string_view::npos)
            f.add(false, name, "missing keys", std::string("no \"") + key + "\" key");
    if (!isComparableVersion(bulletin.version)) {
        f.add(false, name, "versions that do not compare",
            "the version " + quoted(bulletin.version)
                + " is not a plain version number such as 5.1: no saver ever shows the \"New Version!\" box");
    } else if (isNewerVersion(localVersion, bulletin.version)) {
        f.report.push_back("  a " + localVersion + " saver shows the \"New Version!\" box at exit: \""
            + versionNoticeText() + "\"");
    } else {
        f.report.push_back("  a " + localVersion + " saver shows no box: " + quoted(bulletin.version)
            + " is not newer than " + localVersion);
    }
}

} // namespace

int checkFeed(const std::string& feed, const std::string& bulletin, bool quiet)
{
    Findings f;
    TTF_Init();
    const FeedSource source = readSource(feed, feedRequest);
    if (source.usable) {
        checkFeedBody(source, f);
    } else {
        f.report.push_back("feed: " + feed);
        f.add(true, feed, "unusable feeds",
            "every saver ignores this feed (" + source.problem + ") and types its built-in text instead");
    }
    if (!bulletin.empty())
        checkBulletin(bulletin, f);
    f.foldedCounts();
    TTF_Quit();

    int errors = 0;
    for (const Problem& p : f.problems)
        errors += p.error;
    const int warnings = static_cast<int>(f.problems.size()) - errors;
    if (!quiet) {
        for (const std::string& line : f.report)
            std::printf("%s\n", line.c_str());
        if (!f.problems.empty())
            std::printf("problems:\n");
    }
    for (const Problem& p : f.problems)
        std::printf("%s%s%s: %s\n", p.where.c_str(), p.where.empty() ? "" : ": ", p.error ? "error" : "warning",
            p.text.c_str());
    if (!quiet)
        std::printf("%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
    return errors ? 2 : (warnings ? 1 : 0);
}
