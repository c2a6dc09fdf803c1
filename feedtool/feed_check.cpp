#include "feedtool/feed_check.h"

#include "display/asset_paths.h"
#include "display/typing_engine.h"
#include "feedtool/bulletin_check.h"
#include "feedtool/entry_checks.h"
#include "feedtool/exit_codes.h"
#include "feedtool/feed_source.h"
#include "feedtool/line_index.h"
#include "service/text_feed.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
// The feed as the saver's line walker cuts it, with editor line numbers.
struct WalkedFeed {
    const FeedSource& source;
    LineIndex index;
    std::vector<FeedLine> lines;   // every line, hidden ones too
    std::vector<FeedLine> entries; // the lines the saver types

    Place at(std::size_t offset) const { return {source.name, index.lineOf(offset)}; }
};

WalkedFeed walkFeed(const FeedSource& source)
{
    WalkedFeed feed{source, LineIndex(source.bytes), {}, {}};
    forEachFeedLine(source.bytes.data(), source.bytes.size(), [&](const FeedLine& line) {
        feed.lines.push_back(line);
        if (!line.hidden)
            feed.entries.push_back(line);
    });
    return feed;
}

void listEntries(const WalkedFeed& feed, Report& report)
{
    const std::size_t count = feed.entries.size();
    report.list("feed: " + feed.source.name + " (" + counted(feed.source.bytes.size(), "byte", "bytes") + ", "
        + counted(count, "entry", "entries") + ", "
        + counted(feed.lines.size() - count, "hidden line", "hidden lines") + ")");
    const bool loops = count > static_cast<std::size_t>(loopEntryIndex);
    for (std::size_t i = 0; i < count; ++i) {
        if (i == 0)
            report.list(loops ? "  typed once, as the opening:" : "  typed again and again, from the first:");
        if (loops && i == static_cast<std::size_t>(loopEntryIndex))
            report.list("  typed again and again, from entry " + std::to_string(loopEntryIndex + 1) + " on:");
        char number[48];
        std::snprintf(number, sizeof number, "  %6zu  line %-6ld ", i + 1, feed.index.lineOf(feed.entries[i].offset));
        report.list(number + quoted(feed.entries[i].bytes));
    }
    bool first = true;
    for (const FeedLine& line : feed.lines) {
        if (!line.hidden)
            continue;
        if (std::exchange(first, false))
            report.list("  hidden, never typed:");
        report.list("          line " + std::to_string(feed.index.lineOf(line.offset)) + "  " + quoted(line.bytes));
    }
}

// LF bytes inside a line: the saver ends no line there.
void checkLineFeeds(const WalkedFeed& feed, const FeedLine& line, Report& report)
{
    const auto lfs = static_cast<std::size_t>(std::count(line.bytes.begin(), line.bytes.end(), '\n'));
    if (lfs == 0)
        return;
    report.add(Severity::Warning, feed.at(line.offset), "lines with an LF but no CR",
        counted(lfs, "LF", "LFs") + " without CR: the saver ends no line at an LF, so lines "
            + std::to_string(feed.index.lineOf(line.offset)) + " to "
            + std::to_string(feed.index.lineOf(line.offset + line.bytes.size()))
            + (line.hidden ? " are one hidden line, never typed" : " are one entry"));
}

// What the walker dropped after a line, as it says.
void checkDroppedBytes(const WalkedFeed& feed, const FeedLine& line, Report& report)
{
    const std::size_t end = line.offset + line.bytes.size();
    const std::string_view body = feed.source.bytes;
    if (line.end == FeedLineEnd::CrAndByte)
        report.add(Severity::Warning, feed.at(end), "CRs without LF",
            "a CR followed by " + quoted(body.substr(end + 1, 1)) + " instead of LF: that byte is lost");
    if (line.end == FeedLineEnd::Nul)
        report.add(Severity::Warning, feed.at(end), "NUL bytes",
            "a NUL byte: the saver reads nothing after it (" + counted(line.next - end, "byte", "bytes") + " lost)");
}

// False when there is nothing to type at all.
bool checkEntryCount(const WalkedFeed& feed, Report& report)
{
    const auto& entries = feed.entries;
    const Place place{feed.source.name};
    const std::string& body = feed.source.bytes;
    if (!feedHasText(parseTextFeed(body.data(), body.size()))) {
        report.add(Severity::Error, place, "empty feeds",
            "nothing to type: no entry holds a character, so every saver types its built-in text instead");
        return false;
    }
    const std::size_t loopStart = loopEntryIndex;
    if (entries.size() <= loopStart)
        report.add(Severity::Warning, place, "short feeds",
            "only " + counted(entries.size(), "entry", "entries") + ": with fewer than "
                + std::to_string(loopStart + 1) + " there is no loop, and the saver starts over from the first");
    else if (std::all_of(entries.begin() + loopStart, entries.end(), [](const FeedLine& e) { return e.bytes.empty(); }))
        report.add(Severity::Warning, place, "empty loops",
            "entries " + std::to_string(loopStart + 1) + " to " + std::to_string(entries.size())
                + " are all empty: after the opening the saver types blank lines for ever");
    return true;
}

void checkEntryTexts(const WalkedFeed& feed, Report& report)
{
    std::vector<MeasuredScreen> screens = openMeasuredScreens();
    if (screens.empty()) {
        report.failTool("cannot open the saver's font " + fontPath() + ": " + TTF_GetError());
        return;
    }
    for (const FeedLine& entry : feed.entries)
        checkEntryText(entry.bytes, feed.at(entry.offset), screens, report);
    closeMeasuredScreens(screens);
}

void checkFeedSource(const FeedSource& source, Report& report)
{
    if (!source.usable) {
        report.list("feed: " + source.name);
        report.add(Severity::Error, {source.name}, "unusable feeds",
            "every saver ignores this feed (" + source.problem + ") and types its built-in text instead");
        return;
    }
    const WalkedFeed feed = walkFeed(source);
    listEntries(feed, report);
    for (const FeedLine& line : feed.lines) {
        checkLineFeeds(feed, line, report);
        checkDroppedBytes(feed, line, report);
    }
    if (checkEntryCount(feed, report))
        checkEntryTexts(feed, report);
}
}

int checkFeed(const std::string& feed, const std::string& bulletin, bool quiet)
{
    const FeedSource feedSource = readSource(feed, feedRequest);
    const FeedSource bulletinSource = bulletin.empty() ? FeedSource{} : readSource(bulletin, bulletinRequest);
    const bool unreadable = reportUnreadable(feedSource);
    if (reportUnreadable(bulletinSource) || unreadable)
        return exitToolFailure;

    Report report;
    TTF_Init();
    checkFeedSource(feedSource, report);
    if (!bulletin.empty())
        checkBulletin(bulletinSource, report);
    TTF_Quit();
    return report.print(quiet);
}
