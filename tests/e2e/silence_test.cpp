// The product program has its trace off: whatever happens, it prints nothing
// and leaves no file behind, neither where it runs nor in HOME or TMPDIR, and
// no process: where no session bus exists it starts none (which libdbus,
// through SDL, would autolaunch when dbus-x11 is installed).
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <csignal>
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

// Live processes whose environment holds this entry (a zombie shows none).
std::vector<pid_t> processesWithEnvironmentEntry(const std::string& entry)
{
    const std::string wanted = '\0' + entry + '\0';
    return processesWhere([&](const std::filesystem::path& proc) {
        return ('\0' + readWholeFile(proc / "environ")).find(wanted) != std::string::npos;
    });
}
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
    // No session bus: neither an address nor the user's bus socket.
    options.environment["DBUS_SESSION_BUS_ADDRESS"] = std::nullopt;
    options.environment["XDG_RUNTIME_DIR"] = std::nullopt;

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
    // Whatever the saver started inherited its HOME, so it is found by that.
    const std::string homeEntry = "HOME=" + home.path().string();
    EXPECT_TRUE(waitUntil([&] { return processesWithEnvironmentEntry(homeEntry).empty(); }, 5s))
        << "the saver left processes running";
    for (pid_t left : processesWithEnvironmentEntry(homeEntry))
        ::kill(left, SIGKILL);
}

INSTANTIATE_TEST_SUITE_P(ProductBuild, Silence, testing::ValuesIn(silentCases),
    [](const testing::TestParamInfo<SilentCase>& info) { return std::string(info.param.name); });
