// The product program has its trace off: whatever happens, it prints nothing
// and leaves no file behind, neither where it runs nor in HOME or TMPDIR.
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace e2e;

namespace {
struct SilentCase {
    const char* name;
    AssetFile paper;
    AssetFile font;
    std::vector<std::string> switches;
    bool fullRun; // show the page, type a while, then press a key
    int exitCode;
};

const SilentCase silentCases[] = {
    {"FullRun", AssetFile::Real, AssetFile::Real, {}, true, 0},
    {"MissingPaper", AssetFile::Missing, AssetFile::Real, {}, false, 1},
    {"MissingFont", AssetFile::Real, AssetFile::Missing, {}, false, 1},
    {"Preview", AssetFile::Real, AssetFile::Real, {"/p", "777"}, false, 0},
};

class Silence : public testing::TestWithParam<SilentCase> {};
}

TEST_P(Silence, NoOutputAndNoFiles)
{
    const SilentCase& c = GetParam();
    SaverCopy copy(saverProgram(), c.paper, c.font);
    std::vector<std::string> programFolderBefore = copy.root().contents();
    TempFolder work("e2e-cwd");
    TempFolder home("e2e-home");
    TempFolder tmp("e2e-tmp");
    LaunchOptions options;
    options.workingDirectory = work.path();
    options.environment["HOME"] = home.path().string();
    options.environment["TMPDIR"] = tmp.path().string();
    for (const char* xdg : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        options.environment[xdg] = std::nullopt; // their defaults lie under HOME

    ChildProcess saver(commandLine(copy.program(), c.switches), options);
    ASSERT_TRUE(saver.started());
    if (c.fullRun) {
        std::optional<TopLevelWindow> window = waitForWindow(saverWindowName, 10s);
        ASSERT_TRUE(window.has_value());
        std::optional<PageGeometry> page = geometryFor(x11().screenWidth(), x11().screenHeight());
        if (page)
            EXPECT_TRUE(waitForFedPaper(*page, 10s));
        else
            std::this_thread::sleep_for(3s);
        std::this_thread::sleep_for(1500ms); // typing
        ASSERT_TRUE(xdotool({"key", "space"}));
    }
    std::optional<int> code = saver.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "did not end";
    EXPECT_EQ(*code, c.exitCode);
    EXPECT_EQ(saver.standardOutput(), "");
    EXPECT_EQ(saver.standardError(), "");
    EXPECT_EQ(work.contents(), std::vector<std::string>{});
    EXPECT_EQ(home.contents(), std::vector<std::string>{});
    EXPECT_EQ(tmp.contents(), std::vector<std::string>{});
    EXPECT_EQ(copy.root().contents(), programFolderBefore);
}

INSTANTIATE_TEST_SUITE_P(ProductBuild, Silence, testing::ValuesIn(silentCases),
    [](const testing::TestParamInfo<SilentCase>& info) { return std::string(info.param.name); });
