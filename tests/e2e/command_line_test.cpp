// The switches a screen-saver host passes, as the real program decodes them:
// the trace header names the mode, and the mode decides what the run does.
#include "e2e_support.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {
const std::vector<std::string> runPathWithoutPaper{"start init", "return from init", " cant find texture"};
const std::vector<std::string> previewPath{"returning from preview"};

struct SwitchCase {
    const char* name;
    std::vector<std::string> switches;
    const char* folder; // where the copy lives; a blank in it makes the program path quoted
    const char* mode;
    const std::vector<std::string>* after;
    int exitCode;
};

// Run-path cases use a copy without the paper picture, so the run ends right
// after display setup and the header can be read without waking a saver.
const SwitchCase switchCases[] = {
    {"NoArgument", {}, "saver", "0", &runPathWithoutPaper, 1},
    {"OnlyABlank", {""}, "saver", "0", &runPathWithoutPaper, 1},
    {"SlashS", {"/s"}, "saver", "4", &runPathWithoutPaper, 1},
    {"DashCapitalS", {"-S"}, "saver", "4", &runPathWithoutPaper, 1},
    {"BareS", {"s"}, "saver", "4", &runPathWithoutPaper, 1},
    {"SlashSave", {"/save"}, "saver", "4", &runPathWithoutPaper, 1},
    {"QuotedPathWithBlank", {"/s"}, "screen saver", "4", &runPathWithoutPaper, 1},
    {"PreviewWithHandle", {"/p", "777"}, "saver", "3", &previewPath, 0},
    {"PreviewAsOneArgument", {"/p 777"}, "saver", "3", &previewPath, 0},
    {"LetterL", {"/l", "777"}, "saver", "3", &previewPath, 0},
    {"DashCapitalP", {"-P"}, "saver", "3", &previewPath, 0},
    {"PreviewWord", {"/preview", "777"}, "saver", "3", &previewPath, 0},
    {"PreviewInQuotedPath", {"/p", "5"}, "screen saver", "3", &previewPath, 0},
    // Unknown switches run the saver like no switch at all.
    {"SecondSlash", {"//s"}, "saver", "0", &runPathWithoutPaper, 1},
    {"Digit", {"/7"}, "saver", "0", &runPathWithoutPaper, 1},
    {"OtherLetter", {"/x"}, "saver", "0", &runPathWithoutPaper, 1},
};

class SwitchTrace : public testing::TestWithParam<SwitchCase> {};
}

TEST_P(SwitchTrace, HeaderNamesTheModeAndTheModeDecidesTheRun)
{
    const SwitchCase& c = GetParam();
    SaverCopy copy(tracedSaverProgram(), AssetFile::Missing, AssetFile::Real, c.folder);
    clearTrace();
    ChildProcess saver(commandLine(copy.program(), c.switches));
    ASSERT_TRUE(saver.started());
    std::optional<int> code = saver.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running (or killed by a signal)";
    EXPECT_EQ(*code, c.exitCode);
    EXPECT_EQ(traceLines(), traceOf(c.mode, *c.after));
    EXPECT_EQ(saver.standardOutput(), "");
    EXPECT_EQ(saver.standardError(), "");
}

INSTANTIATE_TEST_SUITE_P(Switches, SwitchTrace, testing::ValuesIn(switchCases),
    [](const testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

TEST(Preview, ReturnsAtOnceWithoutEverShowingAWindow)
{
    x11().watchWindowCreation();
    clearTrace();
    ChildProcess saver(commandLine(tracedSaverProgram(), {"/p", "777"}));
    ASSERT_TRUE(saver.started());
    bool windowSeen = false;
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (saver.running() && std::chrono::steady_clock::now() < deadline)
        windowSeen = windowSeen || windowExists(saverWindowName);
    std::optional<int> code = saver.waitForExit(0ms);
    ASSERT_TRUE(code.has_value()) << "preview did not return";
    EXPECT_EQ(*code, 0);
    EXPECT_FALSE(windowSeen);
    // Not even briefly: the server saw no window created or mapped at all.
    EXPECT_EQ(x11().windowsCreatedSinceWatch(), 0);
    // Byte for byte: the "\n" entry is a real line break followed by the
    // trace's own, so the file shows two empty lines after the banner.
    EXPECT_EQ(traceText(),
        "************\n\n\nscrMode\n3\ngetSSText: url = \n" TAPWRITE_E2E_BASE_URL "sstext\nreturning from preview\n");
    EXPECT_EQ(saver.standardOutput(), "");
    EXPECT_EQ(saver.standardError(), "");
}
