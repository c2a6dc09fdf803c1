// tapwrite-feed as the service's operators run it, with no display: one table
// of feeds and bulletins with the problem each must report, files and URLs,
// and the page it draws measured like the saver's own screen.
#include "e2e_support.h"
#include "../support/service_fixture.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace e2e;
using namespace std::string_literals;

namespace {
const std::string fiveLines = "One.\r\nTwo.\r\nThree.\r\nFour.\r\nFive.";
const std::string plainBulletin = "VERSION5.0\r\nmessageNum:1\r\nmessage:Hi";

struct ToolRun {
    std::optional<int> code;
    std::string output;
};

// The tool in folder, without any display to open.
ToolRun runFeedTool(std::vector<std::string> arguments, const std::filesystem::path& folder)
{
    LaunchOptions options;
    options.environment["DISPLAY"] = std::nullopt;
    options.environment["WAYLAND_DISPLAY"] = std::nullopt;
    options.workingDirectory = folder;
    arguments.insert(arguments.begin(), (buildFolder() / "tapwrite-feed").string());
    ChildProcess tool(arguments, options);
    std::optional<int> code = tool.waitForExit(60s);
    return {code, tool.standardOutput() + tool.standardError()};
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

struct CheckCase {
    const char* name;
    std::string feed;
    std::string bulletin; // none when empty
    int code;
    std::string expected; // a line of the report
    std::string served = ""; // over the loopback service, served this way ("" for a file)
};

void PrintTo(const CheckCase& c, std::ostream* out)
{
    *out << c.name;
}

const CheckCase checkCases[] = {
    {"Clean", "xnote\r\n" + fiveLines, plainBulletin, 0, "          line 1  \"xnote\"\n"},
    {"Opening", fiveLines, "", 0, "typed again and again, from entry 5 on:\n       5  line 5      \"Five.\""},
    {"LfLineEnds", "One.\nTwo.\n", "", 1, "sstext:1: warning: no CR line ends but 2 LF ones"},
    {"CrWithoutLf", "A\r\nB\rXC\r\n" + fiveLines, "", 1, "sstext:2: warning: a CR followed by \"X\" instead of LF"},
    {"Nul", fiveLines + "\r\nSix.\0Seven."s, "", 1, "sstext:6: warning: a NUL byte: the saver reads nothing after it"},
    {"Utf8", "A\r\nCaf\xc3\xa9.\r\n" + fiveLines, "", 1, "sstext:2: warning: UTF-8 text: each such letter shows as "
        "two or three characters: \"Caf\xc3\x83\xc2\xa9.\""},
    {"NoGlyph", "A\r\nB\tC\r\n" + fiveLines, "", 1, "sstext:2: warning: the font has no glyph for \"\\x09\""},
    {"PastTheEdge", fiveLines + "\r\n" + std::string(200, 'M'), "", 1, "sstext:6: warning: runs past the paper's "
        "right edge at 1366x768 after character 90 (\"M\") and at 1920x1080 after character 84 (\"M\")"},
    {"FewerThanFive", "A\r\nB\r\nC", "", 1, "sstext: warning: only 3 entries: with fewer than five there is no loop"},
    {"EmptyLoop", "A\r\nB\r\nC\r\nD\r\n\r\n", "", 1, "sstext: warning: entries 5 to 6 are all empty"},
    {"NothingToType", "xa\r\n\r\n123\r\n", "", 2, "sstext: error: nothing to type"},
    {"FeedOverCap", std::string(1024 * 1024 + 1, 'a'), "", 2, "over the 1048576-byte cap) and types its built-in"},
    {"NewerVersion", fiveLines, "VERSION5.1\r\nmessageNum:1\r\nmessage:Hi", 0, "a 5.0 saver shows the \"New Version!\" "
        "box at exit: \"Please download the latest version of Tapwrite Screen Saver"},
    {"VersionNotANumber", fiveLines, "VERSIONv5.1\r\nmessageNum:1\r\nmessage:Hi", 1, "sys: warning: the version "
        "\"v5.1\\x0D\" is not a plain version number"},
    {"MissingKeys", fiveLines, "VERSION5.1 hello", 1, "sys: warning: no \"messageNum:\" key\nsys: warning: no "
        "\"message:\" key"},
    {"BulletinOverCap", fiveLines, std::string(64 * 1024 + 1, 'b'), 1, "over the 65536-byte cap), so it never shows"},
    {"UrlGood", fiveLines, "", 0, "0 errors, 0 warnings", "plain"},
    {"UrlNotFound", fiveLines, "", 2, "(status 404, not a success) and types its built-in text", "status 404"},
    {"UrlOverCap", std::string(1024 * 1024 + 1, 'a'), "", 2, "(the body is over the 1048576-byte cap)", "unsized"},
};

class FeedCheck : public testing::TestWithParam<CheckCase> {};
}

TEST_P(FeedCheck, ReportsTheProblemWithItsLineAndExitCode)
{
    const CheckCase& c = GetParam();
    TempFolder folder("feed-check");
    std::vector<std::string> arguments{"check", "sstext"};
    std::unique_ptr<ServiceFixture> service;
    if (!c.served.empty()) {
        service = std::make_unique<ServiceFixture>(TAPWRITE_E2E_SERVICE_PORT);
        ASSERT_TRUE(service->ready());
        service->serve("sstext", c.feed, c.served == "plain" ? "" : c.served);
        arguments[1] = "http://127.0.0.1:" + std::to_string(TAPWRITE_E2E_SERVICE_PORT) + "/sstext";
    } else {
        writeFile(folder.path() / "sstext", c.feed);
    }
    if (!c.bulletin.empty()) {
        writeFile(folder.path() / "sys", c.bulletin);
        arguments.push_back("sys");
    }
    ToolRun run = runFeedTool(arguments, folder.path());
    EXPECT_EQ(run.code, c.code) << run.output;
    EXPECT_NE(run.output.find(c.expected), std::string::npos) << "expected\n" << c.expected << "\nin\n" << run.output;

    // Quiet: the problems alone.
    arguments.insert(arguments.begin() + 1, "--quiet");
    ToolRun quiet = runFeedTool(arguments, folder.path());
    EXPECT_EQ(quiet.code, c.code);
    EXPECT_EQ(quiet.output.find("typed once"), std::string::npos) << quiet.output;
}

INSTANTIATE_TEST_SUITE_P(Feeds, FeedCheck, testing::ValuesIn(checkCases),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

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
        // One line typed: the sheet and the finished line stand one pitch
        // above a fresh page's, the new typing line below is still empty.
        PageGeometry page = geometryFor(width, height).value();
        page.paperTop -= page.lineBand;
        page.typingLineTop -= page.lineBand;
        expectFedPage(shot, page);
        EXPECT_EQ(typedPrefixLength(shot, page, sentence), sentence.size());
    }
}
