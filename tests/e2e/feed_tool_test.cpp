// tapwrite-feed as the service's operators run it, with no display: one table
// of feeds and bulletins with the problem each must report, files and URLs,
// and the page it draws measured like the saver's own screen.
#include "e2e_support.h"
#include "../support/service_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace e2e;
using namespace std::string_literals;

namespace {
const std::string fiveLines = "One.\r\nTwo.\r\nThree.\r\nFour.\r\nFive.";
const std::string plainBulletin = "VERSION5.0\r\nmessageNum:1\r\nmessage:Hi";

struct ToolRun {
    std::optional<int> code;
    std::string output;
};

// The tool (or another build of it) in folder, without any display to open.
ToolRun runFeedTool(std::vector<std::string> arguments, const std::filesystem::path& folder,
    std::chrono::seconds within = 60s, const std::string& program = "tapwrite-feed")
{
    LaunchOptions options;
    options.environment["DISPLAY"] = std::nullopt;
    options.environment["WAYLAND_DISPLAY"] = std::nullopt;
    options.workingDirectory = folder;
    arguments.insert(arguments.begin(), (buildFolder() / program).string());
    ChildProcess tool(arguments, options);
    std::optional<int> code = tool.waitForExit(within);
    return {code, tool.standardOutput() + tool.standardError()};
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// How the feed's file stands in the folder; Device: the feed is a device's path;
// Stream: the same, of a file whose bytes come and go between two reads.
enum class FeedFile { Written, Missing, Directory, Unreadable, Fifo, Sparse, Device, Stream };

struct CheckCase {
    const char* name;
    std::string feed;
    std::string bulletin; // none when empty
    int code;
    std::vector<std::string> expected; // lines of the report; a problem line first when code is 1 or 2
    std::string served = ""; // over the loopback service, served this way ("" for a file, "none": a port that
                             // refuses, "hostile certificate": over TLS, to a build that trusts its authority)
    FeedFile file = FeedFile::Written;
    std::chrono::seconds within = 10s; // a path's answer; a URL's is 60 s
};

void PrintTo(const CheckCase& c, std::ostream* out)
{
    *out << c.name;
}

const std::string port = std::to_string(TAPWRITE_E2E_SERVICE_PORT);

std::string utf8Lines(int count)
{
    std::string feed;
    for (int i = 1; i <= count; ++i)
        feed += "Caf\xc3\xa9 " + std::to_string(i) + ".\r\n";
    return feed;
}

// Five entries after one hidden line that fills the feed to exactly size bytes.
std::string feedOfSize(std::size_t size)
{
    const std::string fill = "x\r\n" + fiveLines;
    return "x" + std::string(size - fill.size(), '.') + fill.substr(1);
}

const std::string feedAtTheCap = "(1048576 bytes, 5 entries, 1 hidden line)";

const CheckCase checkCases[] = {
    {"Clean", "xnote\r\n" + fiveLines, plainBulletin, 0, {"          line 1  \"xnote\"\n"}},
    {"Opening", fiveLines, "", 0, {"typed again and again, from entry 5 on:\n       5  line 5      \"Five.\""}},
    {"LfLineEnds", "One.\nTwo.\n", "", 1, {"sstext:1: warning: 2 LFs without CR: the saver ends no line at an LF, so "
        "lines 1 to 3 are one entry"}},
    {"LoneCrBeforeTheEnd", "One.\nTwo.\nThree.\nFour.\nFive.\r", "", 1, {"sstext:1: warning: 4 LFs without CR: the "
        "saver ends no line at an LF, so lines 1 to 5 are one entry"}},
    {"LfLinesAndALoneCr", "One.\nTwo.\rThree.\r\nFour.\r\nFive.\r\nSix.\r\n", "", 1, {"sstext:1: warning: 1 LF "
        "without CR", "sstext:2: warning: a CR followed by \"T\" instead of LF: that byte is lost",
        "       2  line 3      \"hree.\""}},
    {"CrWithoutLf", "A\r\nB\rXC\r\n" + fiveLines, "", 1, {"sstext:2: warning: a CR followed by \"X\" instead of LF"}},
    {"CrCr", "A\r\rB\r\n" + fiveLines, "", 1, {"sstext:1: warning: a CR followed by \"\\x0D\" instead of LF: that "
        "byte is lost", "       1  line 1      \"A\"\n       2  line 3      \"B\"\n", "0 errors, 1 warning\n"}},
    {"Nul", fiveLines + "\r\nSix.\0Seven."s, "", 1, {"sstext:6: warning: a NUL byte: the saver reads nothing after it "
        "(7 bytes lost)"}},
    {"Utf8", "A\r\nCaf\xc3\xa9.\r\n" + fiveLines, "", 1, {"sstext:2: warning: UTF-8 text: each such letter shows as "
        "two or three characters: \"Caf\xc3\x83\xc2\xa9.\""}},
    {"Utf8TenthIsListed", utf8Lines(10), "", 1, {"sstext:10: warning: UTF-8 text", "0 errors, 10 warnings"}},
    {"Utf8TotalsCountTheFoldedOnes", utf8Lines(25), "", 1, {"sstext: warning: 15 other UTF-8 lines (only the first "
        "10 are listed)", "0 errors, 25 warnings"}},
    {"NoGlyph", "A\r\nB\tC\r\n" + fiveLines, "", 1, {"sstext:2: warning: the font has no glyph for \"\\x09\""}},
    {"PastTheEdge", fiveLines + "\r\n" + std::string(200, 'M'), "", 1, {"sstext:6: warning: runs past the paper's "
        "right edge at 1366x768 after character 90 (\"M\") and at 1920x1080 after character 84 (\"M\")"}},
    {"FewerThanFive", "A\r\nB\r\nC", "", 1, {"sstext: warning: only 3 entries: with fewer than 5 there is no loop",
        "typed again and again, from the first:"}},
    // The largest feed the saver starts over in.
    {"FourEntries", "A\r\nB\r\nC\r\nD", "", 1, {"sstext: warning: only 4 entries: with fewer than 5 there is no "
        "loop", "typed again and again, from the first:"}},
    {"EmptyLoop", "A\r\nB\r\nC\r\nD\r\n\r\n", "", 1, {"sstext: warning: entries 5 to 6 are all empty"}},
    {"NothingToType", "xa\r\n\r\n123\r\n", "", 2, {"sstext: error: nothing to type"}},
    {"FeedAtTheCap", feedOfSize(1024 * 1024), "", 0, {feedAtTheCap, "0 errors, 0 warnings"}},
    {"FeedOverCap", std::string(1024 * 1024 + 1, 'a'), "", 2, {"over the 1048576-byte cap) and types its built-in"}},
    {"FeedMissing", "", "", 3, {"tapwrite-feed: cannot read sstext: No such file or directory"}, "",
        FeedFile::Missing},
    {"FeedIsADirectory", "", "", 3, {"tapwrite-feed: cannot read sstext: Is a directory"}, "", FeedFile::Directory},
    {"FeedUnreadable", fiveLines, "", 3, {"tapwrite-feed: cannot read sstext: Permission denied"}, "",
        FeedFile::Unreadable},
    {"FeedIsAFifoNobodyWritesTo", "", "", 3, {"tapwrite-feed: cannot read sstext: it is a FIFO, and nothing came "
        "from it within 2 s"}, "", FeedFile::Fifo},
    {"FeedIsSparseAndHuge", "", "", 2, {"(it is 21474836480 bytes, over the 1048576-byte cap)"}, "", FeedFile::Sparse},
    {"FeedIsAnEndlessDevice", "/dev/zero", "", 2, {"/dev/zero: error: every saver ignores this feed (it is a "
        "character device of more than 1048576 bytes, over the 1048576-byte cap)"}, "", FeedFile::Device},
    // Regular and empty by its own word, then no end and, as often as not, nothing to read.
    {"FeedIsTheKernelLog", "/proc/kmsg", "", 3, {"tapwrite-feed: cannot read /proc/kmsg: it is a file, and "}, "",
        FeedFile::Stream, 3s},
    {"ZeroWidthCharactersStayWithinTheEdge", fiveLines + "\r\n" + std::string(2000, '\xad'), "", 0,
        {"0 errors, 0 warnings"}},
    {"NewerVersion", fiveLines, "VERSION5.1\r\nmessageNum:1\r\nmessage:Hi", 0, {"a 5.0 saver shows the \"New Version!\" "
        "box at exit: \"Please download the latest version of Tapwrite Screen Saver"}},
    {"VersionNotANumber", fiveLines, "VERSIONv5.1\r\nmessageNum:1\r\nmessage:Hi", 1, {"sys: warning: the version "
        "\"v5.1\\x0D\" is not a plain version number"}},
    {"MissingKeys", fiveLines, "VERSION5.1 hello", 1, {"sys: warning: no \"messageNum:\" key\nsys: warning: no "
        "\"message:\" key"}},
    {"BulletinOverCap", fiveLines, std::string(64 * 1024 + 1, 'b'), 1, {"over the 65536-byte cap), so it never shows"}},
    {"UrlGood", fiveLines, "", 0, {"0 errors, 0 warnings"}, "plain"},
    {"UrlBulletin", fiveLines, "VERSION5.1\r\nmessageNum:1\r\nmessage:Hi", 0, {"bulletin: http://127.0.0.1:" + port
        + "/sys\n  version     \"5.1\\x0D\"", "a 5.0 saver shows the \"New Version!\" box at exit"}, "plain"},
    {"UrlNotFound", fiveLines, "", 2, {"(status 404, not a success) and types its built-in text"}, "status 404"},
    {"UrlAtTheCap", feedOfSize(1024 * 1024), "", 0, {feedAtTheCap, "0 errors, 0 warnings"}, "unsized"},
    {"UrlOverCap", std::string(1024 * 1024 + 1, 'a'), "", 2, {"(the body is over the 1048576-byte cap)"}, "unsized"},
    {"UrlRedirect", fiveLines, "", 2, {"(a redirect (status 302), which the saver does not follow) and types its "
        "built-in text"}, "redirect"},
    {"UrlStall", fiveLines, "", 2, {"(no complete answer within the time limit (3 s to connect, 5 s in all)) and "
        "types its built-in text"}, "stall"},
    {"UrlCutBody", fiveLines, "", 2, {"(the answer was cut off after " + std::to_string(fiveLines.size())
        + " bytes of its body: "}, "cut"},
    {"UrlResetBeforeAnyAnswer", fiveLines, "", 2, {"(the connection was closed or reset before any answer: "}, "reset"},
    {"UrlNoService", fiveLines, "", 2, {"(no connection to the service: "}, "none"},
    {"UrlCertificateNameHoldsEscapes", fiveLines, "", 2, {"(the service's certificate was refused: SSL: certificate "
        "subject name 'x\\x1B]0;owned\\x07\\x1B[2J\\x1B[41m\\xC2\\x9B31m' does not match"}, "hostile certificate"},
};

class FeedCheck : public testing::TestWithParam<CheckCase> {};

// A loopback port bound but not listening, for as long as this lives: a
// connection to it is refused, and nothing else can take it meanwhile.
class RefusingPort {
public:
    RefusingPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) == 0
            && ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(socket_); }
    int port() const { return port_; }

private:
    int socket_;
    int port_ = 0;
};

// The feed of a row, in the folder or on the loopback service; its argument.
std::string placeFeed(const CheckCase& c, const std::filesystem::path& folder, std::unique_ptr<ServiceFixture>& service,
    const RefusingPort& refusing)
{
    if (c.served == "none")
        return "http://127.0.0.1:" + std::to_string(refusing.port()) + "/sstext";
    if (!c.served.empty()) {
        const bool hostile = c.served == "hostile certificate";
        service = std::make_unique<ServiceFixture>(TAPWRITE_E2E_SERVICE_PORT, hostile ? "hostile" : "");
        EXPECT_TRUE(service->ready());
        service->serve("sstext", c.feed, c.served == "plain" || hostile ? "" : c.served);
        return (hostile ? "https" : "http") + "://127.0.0.1:"s + port + "/sstext";
    }
    if (c.file == FeedFile::Device || c.file == FeedFile::Stream)
        return c.feed;
    if (c.file == FeedFile::Fifo && ::mkfifo((folder / "sstext").c_str(), 0600) != 0)
        ADD_FAILURE() << "mkfifo: " << std::strerror(errno);
    if (c.file == FeedFile::Sparse) {
        writeFile(folder / "sstext", fiveLines);
        std::filesystem::resize_file(folder / "sstext", 20ull << 30);
    }
    if (c.file == FeedFile::Directory)
        std::filesystem::create_directory(folder / "sstext");
    if (c.file == FeedFile::Written || c.file == FeedFile::Unreadable)
        writeFile(folder / "sstext", c.feed);
    if (c.file == FeedFile::Unreadable)
        std::filesystem::permissions(folder / "sstext", std::filesystem::perms::none);
    return "sstext";
}

// Where output holds what a terminal would act on: a control character but
// the line end (C0, DEL, C1 alone or in UTF-8); npos when nowhere.
std::size_t firstRawControl(const std::string& output)
{
    for (std::size_t i = 0; i < output.size(); ++i) {
        const unsigned char c = output[i];
        const unsigned char before = i > 0 ? output[i - 1] : 0;
        if ((c < 0x20 && c != '\n') || c == 0x7f || (c >= 0x80 && c < 0xa0 && (before < 0x80 || before == 0xc2)))
            return i;
    }
    return std::string::npos;
}

// libcurl's reasons say how long a failed connection took ("after 3 ms"),
// which differs from one run to the next.
std::string withoutTimings(std::string text)
{
    static const std::regex elapsed("after [0-9]+ ms");
    return std::regex_replace(text, elapsed, "after N ms");
}

// What --quiet prints of a report: its problem lines, without the listing
// and the totals; a failure of the tool's own is printed whole either way.
std::string problemLines(const std::string& report, int code)
{
    const std::size_t start = report.find("problems:\n");
    if (code == 3 || start == std::string::npos)
        return code == 3 ? report : "";
    const std::size_t from = start + std::string("problems:\n").size();
    const std::size_t totals = report.rfind('\n', report.size() - 2) + 1;
    return report.substr(from, totals - from);
}
}

TEST_P(FeedCheck, ReportsTheProblemWithItsLineAndExitCode)
{
    const CheckCase& c = GetParam();
    if (c.file == FeedFile::Unreadable && geteuid() == 0)
        GTEST_SKIP() << "root reads a file without permissions: this row runs as another user only";
    if (c.file == FeedFile::Device || c.file == FeedFile::Stream) {
        const int device = ::open(c.feed.c_str(), O_RDONLY | O_NONBLOCK);
        if (device < 0)
            GTEST_SKIP() << c.feed << " cannot be opened here: " << std::strerror(errno);
        ::close(device);
    }
    TempFolder folder("feed-check");
    std::unique_ptr<ServiceFixture> service;
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    std::vector<std::string> arguments{"check", placeFeed(c, folder.path(), service, refusing)};
    if (!c.bulletin.empty()) {
        if (service)
            service->serve("sys", c.bulletin);
        else
            writeFile(folder.path() / "sys", c.bulletin);
        arguments.push_back(service ? "http://127.0.0.1:" + port + "/sys" : "sys");
    }
    // A path answers within a few seconds, whatever it is; a URL within the time limits.
    const std::chrono::seconds within = c.served.empty() ? c.within : 60s;
    const std::string program = c.served == "hostile certificate" ? "tapwrite-feed-trusting" : "tapwrite-feed";
    ToolRun run = runFeedTool(arguments, folder.path(), within, program);
    EXPECT_EQ(run.code, c.code) << run.output;
    for (const std::string& line : c.expected)
        EXPECT_NE(run.output.find(line), std::string::npos) << "expected\n" << line << "\nin\n" << run.output;
    EXPECT_EQ(firstRawControl(run.output), std::string::npos) << "a raw control byte in\n" << run.output;

    // Quiet: the problems alone, the row's own among them.
    arguments.insert(arguments.begin() + 1, "--quiet");
    ToolRun quiet = runFeedTool(arguments, folder.path(), within, program);
    EXPECT_EQ(quiet.code, c.code);
    if (c.file != FeedFile::Stream) {
        EXPECT_EQ(withoutTimings(quiet.output), withoutTimings(problemLines(run.output, c.code)));
    }
    if (c.code != 0) {
        EXPECT_NE(quiet.output.find(c.expected.front()), std::string::npos) << quiet.output;
    }
    EXPECT_EQ(quiet.output.find("typed once"), std::string::npos) << quiet.output;
}

INSTANTIATE_TEST_SUITE_P(Feeds, FeedCheck, testing::ValuesIn(checkCases),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

namespace {
struct PageCase {
    const char* name;
    std::vector<std::string> options;
    std::optional<std::string> feed; // no file when empty
    int code;
    std::string expected; // on standard error
    std::string path = "sstext"; // the feed's argument
};

void PrintTo(const PageCase& c, std::ostream* out)
{
    *out << c.name;
}

const PageCase pageCases[] = {
    {"SizeOverTheLargestSide", {"--size", "16384x16384"}, fiveLines, 3, "usage: tapwrite-feed"},
    {"SizeOutOfRange", {"--size", "99999999999999999999x768"}, fiveLines, 3, "usage: tapwrite-feed"},
    {"SizeNotWxH", {"--size", "1366x768x2"}, fiveLines, 3, "usage: tapwrite-feed"},
    {"SizeZero", {"--size", "0x768"}, fiveLines, 3, "usage: tapwrite-feed"},
    {"LinesPastAPage", {"--lines", "49"}, fiveLines, 3, "usage: tapwrite-feed"},
    {"NoFeedFile", {}, std::nullopt, 3, "tapwrite-feed: cannot read sstext: No such file or directory"},
    {"NothingToType", {}, "xa\r\n", 2, "sstext gives the saver nothing to type (no entry holds a character): every "
        "saver types its built-in text; --builtin-text draws that"},
    {"BuiltinTextWhenAsked", {"--builtin-text"}, "xa\r\n", 0, "every saver types its built-in text, drawn here"},
    {"FeedIsAnEndlessDevice", {}, std::nullopt, 2, "/dev/urandom gives the saver nothing to type (it is a character "
        "device of more than 1048576 bytes, over the 1048576-byte cap)", "/dev/urandom"},
};

class PageOptions : public testing::TestWithParam<PageCase> {};
}

TEST_P(PageOptions, DrawOnlyWhatTheSaverShows)
{
    const PageCase& c = GetParam();
    TempFolder folder("feed-page");
    if (c.feed)
        writeFile(folder.path() / "sstext", *c.feed);
    std::vector<std::string> arguments{"page", c.path, "-o", "page.png"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    ToolRun run = runFeedTool(arguments, folder.path());
    EXPECT_EQ(run.code, c.code) << run.output;
    EXPECT_NE(run.output.find(c.expected), std::string::npos) << "expected\n" << c.expected << "\nin\n" << run.output;
    EXPECT_EQ(std::filesystem::exists(folder.path() / "page.png"), c.code == 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageOptions, testing::ValuesIn(pageCases),
    [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST(FeedTool, HelpNamesEveryExitCode)
{
    ToolRun run = runFeedTool({"--help"}, TAPWRITE_E2E_SOURCE_DIR "/feed");
    EXPECT_EQ(run.code, 0);
    for (const char* code : {"0 all is well", "1 check found warnings", "2 check found errors", "3 the tool failed"})
        EXPECT_NE(run.output.find(code), std::string::npos) << code << " in\n" << run.output;
}

TEST(FeedTool, SampleServiceIsClean)
{
    ToolRun run = runFeedTool({"check", "sstext", "sys"}, TAPWRITE_E2E_SOURCE_DIR "/feed");
    EXPECT_EQ(run.code, 0) << run.output;
}

TEST(FeedTool, PageStandsWhereTheSaverPutsItAndShowsTheFirstSentence)
{
    const std::string sentence = "The cat sat on the mat, 1234 times over.";
    TempFolder folder("feed-page");
    writeFile(folder.path() / "sstext", sentence + "\r\n" + fiveLines);
    for (auto [width, height] : {std::pair{1920, 1080}, std::pair{1366, 768}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        ToolRun run = runFeedTool({"page", "sstext", "--size", size, "--lines", "1", "-o", "page.png"}, folder.path());
        ASSERT_EQ(run.code, 0) << run.output;
        Screenshot shot(folder.path() / "page.png", false);
        ASSERT_TRUE(shot.ok());
        ASSERT_EQ(shot.width(), width);
        // The last still frame of the first line: typed to its end on the
        // fresh sheet, which has not moved on yet.
        const PageGeometry page = geometryFor(width, height).value();
        expectFedPage(shot, page);
        EXPECT_EQ(typedPrefixLength(shot, page, sentence), sentence.size());
    }
}

// By default the picture is the saver's last still frame of a full page: the
// 48th line typed to its end, just before the sheet is wound out. Worked out
// from the layout at 1920x1080: the sheet at scroll 9 + 47, its top at -346,
// the 48th line's top at 965 (a frame of 49 lines would have it at 941).
TEST(FeedTool, DefaultPageIsTheLastFrameBeforeThePageTurns)
{
    TempFolder folder("feed-page");
    writeFile(folder.path() / "sstext", fiveLines);
    ToolRun run = runFeedTool({"page", "sstext", "-o", "page.png"}, folder.path());
    ASSERT_EQ(run.code, 0) << run.output;
    Screenshot shot(folder.path() / "page.png", false);
    ASSERT_TRUE(shot.ok());
    PageGeometry page = geometryFor(1920, 1080).value();
    page.typingLineTop = 965;
    EXPECT_EQ(typedPrefixLength(shot, page, "Five."), 5u);
}
