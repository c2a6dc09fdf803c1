// The installed Windows saver under Wine, with the switches a screen-saver
// host passes: the boxes, the silent preview, the run on the real screen and
// a missing font. Without a window manager Wine takes about two seconds to end
// a program once its window has closed; the exit limits allow for that.
#include "wine_prefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace e2e;
using namespace wine;

namespace {
constexpr auto windowLimit = 20s;
constexpr auto exitLimit = 10s;

struct BoxCase {
    const char* name;
    std::vector<std::string> switches;
    const char* text;
};

const BoxCase boxCases[] = {
    {"Settings", {"/c"}, "There is nothing to configure."},
    {"Password", {"/a", "5"}, "There is no password setting"},
};

void PrintTo(const BoxCase& c, std::ostream* out)
{
    *out << c.name;
}

class WineBox : public testing::TestWithParam<BoxCase> {};

// Polls while the saver runs; true when a window of that name showed up.
bool windowSeenWhileRunning(ChildProcess& saver, const std::string& name, std::chrono::milliseconds limit)
{
    bool seen = false;
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (saver.running() && std::chrono::steady_clock::now() < deadline) {
        seen = seen || windowExists(name);
        std::this_thread::sleep_for(20ms);
    }
    return seen;
}
}

TEST_P(WineBox, ShowsItsTextUntilAKeyClosesIt)
{
    const BoxCase& c = GetParam();
    ChildProcess saver(saverCommand(c.switches));
    ASSERT_TRUE(saver.started());
    std::optional<TopLevelWindow> box = waitForWindow(boxCaption, windowLimit);
    ASSERT_TRUE(box.has_value()) << "no box; standard error: " << saver.standardError();
    EXPECT_FALSE(windowExists(saverWindowName));
    std::vector<std::string> texts = boxTexts(boxCaption);
    EXPECT_NE(std::find(texts.begin(), texts.end(), c.text), texts.end()) << testing::PrintToString(texts);
    EXPECT_TRUE(saver.running()) << "the box did not wait for the user";

    ASSERT_TRUE(closeBoxWithReturn(*box));
    EXPECT_EQ(saver.waitForExit(exitLimit), 0);
    EXPECT_FALSE(windowExists(boxCaption));
}

INSTANTIATE_TEST_SUITE_P(Switches, WineBox, testing::ValuesIn(boxCases),
    [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

TEST(WineSaver, PreviewEndsWithCodeZeroAndShowsNoWindow)
{
    ChildProcess saver(saverCommand({"/p", "123"}));
    ASSERT_TRUE(saver.started());
    bool shown = windowSeenWhileRunning(saver, saverWindowName, exitLimit);
    EXPECT_EQ(saver.waitForExit(0ms), 0);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(windowExists(boxCaption));
}

namespace {
// Runs the saver on the real screen: the window covers it, the page stands
// where the layout puts it and gets typed on, and a key ends the run.
void expectRunLaidOutForTheScreen(const std::string& shotName)
{
    std::optional<PageGeometry> page = geometryFor(x11().screenWidth(), x11().screenHeight());
    ASSERT_TRUE(page.has_value()) << "no worked-out page for this screen size";
    const PageGeometry& p = *page;
    ASSERT_TRUE(movePointer(p.screenWidth / 2, p.screenHeight / 2));
    x11().focusFollowsPointer();

    ChildProcess saver(saverCommand({"/s"}));
    ASSERT_TRUE(saver.started());
    std::optional<TopLevelWindow> window = waitForWindow(saverWindowName, windowLimit);
    ASSERT_TRUE(window.has_value()) << "standard error: " << saver.standardError();
    EXPECT_EQ(window->x, 0);
    EXPECT_EQ(window->y, 0);
    EXPECT_EQ(window->width, p.screenWidth);
    EXPECT_EQ(window->height, p.screenHeight);
    ASSERT_TRUE(waitForFedPaper(p, 10s)) << "the paper never reached its fed height";
    {
        Screenshot fed(buildFolder() / "wine-fed.png");
        ASSERT_TRUE(fed.ok());
        expectFedPage(fed, p);
    }
    // Typing for a while: still the first line, on the same page.
    std::this_thread::sleep_for(2500ms);
    Screenshot typed(buildFolder() / shotName);
    ASSERT_TRUE(typed.ok());
    expectFedPage(typed, p);
    expectFirstLineTyped(typed, p);

    ASSERT_TRUE(saver.running());
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_EQ(saver.waitForExit(exitLimit), 0);
    EXPECT_FALSE(windowExists(saverWindowName));
}

// The prefix's display scaling, as the Display settings store it; programs
// started after Wine has settled read it.
bool setLogPixels(int dpi)
{
    for (const char* key : {"HKCU\\Control Panel\\Desktop", "HKCC\\Software\\Fonts"})
        if (runUnderWine({"reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", std::to_string(dpi), "/f"}) != 0)
            return false;
    return waitForWineToSettle();
}

// The width of the settings box, whose text is in the system's message font.
int settingsBoxWidth()
{
    ChildProcess saver(saverCommand({"/c"}));
    std::optional<TopLevelWindow> box = waitForWindow(boxCaption, windowLimit);
    if (!box || !closeBoxWithReturn(*box) || saver.waitForExit(exitLimit) != 0)
        return 0;
    return box->width;
}
}

TEST(WineSaver, RunShowsThePageWhereTheLayoutPutsItAndAKeyEndsIt)
{
    expectRunLaidOutForTheScreen("wine-screen-1920x1080.png");
}

// What this guards: the page at 144 dpi (150 %), still laid out for the
// screen's real pixels and ended by a key. It does not stand for the
// manifest's awareness: Wine does not scale a program that declares none, so
// an unaware saver would pass too. The manifest read back out of the .scr
// (check_resources.py) is what shows the awareness.
TEST(WineSaver, At144DpiThePageStandsWhereTheLayoutPutsIt)
{
    const int boxAt96 = settingsBoxWidth();
    ASSERT_GT(boxAt96, 0);
    ASSERT_TRUE(setLogPixels(144));
    struct Restore {
        ~Restore() { setLogPixels(96); }
    } restore;
    // The setting took: the box's system font, and so the box, grew.
    EXPECT_GT(settingsBoxWidth(), boxAt96);
    expectRunLaidOutForTheScreen("wine-screen-144dpi.png");
}

TEST(WineSaver, WithoutTheFontTheRunEndsWithCodeOneAndNoBox)
{
    const std::filesystem::path font = installFolder() / "tapwritefiles" / "gtw.ttf";
    TempFolder aside("wine-font");
    std::filesystem::rename(font, aside.path() / "gtw.ttf");
    struct PutBack {
        std::filesystem::path from, to;
        ~PutBack() { std::filesystem::rename(from, to); }
    } putBack{aside.path() / "gtw.ttf", font};

    ChildProcess saver(saverCommand({"/s"}));
    ASSERT_TRUE(saver.started());
    bool boxShown = windowSeenWhileRunning(saver, boxCaption, windowLimit);
    EXPECT_EQ(saver.waitForExit(0ms), 1);
    EXPECT_FALSE(boxShown);
    EXPECT_FALSE(windowExists(saverWindowName));
}

// On the two-monitor desk (with_xorg_dummy.sh): the installed saver covers the
// other monitor too, and a 40 px move ends it, wherever the pointer rested.
namespace {
struct RestCase {
    const char* name;
    int pointerX;
};

const RestCase restCases[] = {
    {"PointerOnTheOtherMonitor", 2500},
    {"PointerOnThePrimary", 960},
};

class WineDesk : public testing::TestWithParam<RestCase> {};
}

TEST_P(WineDesk, TheOtherMonitorIsBlackAndAMoveEndsTheRun)
{
    const int x = GetParam().pointerX;
    const OwnWindow desktop(0, 0, 3200, 1080, 0xe0e0e0);
    ASSERT_NE(desktop.id, 0u);
    ASSERT_TRUE(movePointer(x, 500));
    x11().focusFollowsPointer();

    ChildProcess saver(saverCommand({"/s"}));
    ASSERT_TRUE(saver.started());
    ASSERT_TRUE(waitForFedPaper(*geometryFor(1920, 1080), 20s)) << "standard error: " << saver.standardError();
    EXPECT_TRUE(waitUntil([] { return x11().nonBlackIn(1920, 0, 1280, 1024) == 0; }, 10s))
        << "the other monitor shows the desktop";
    Screenshot shot(buildFolder() / ("wine-desk-" + std::string(GetParam().name) + ".png"));
    EXPECT_TRUE(shot.ok());
    // The cover stays above taskbars and is listed nowhere; the page's window
    // is the ordinary one it always was.
    const std::vector<std::string> windows = readWindows({"--styles", saverWindowName});
    EXPECT_EQ(std::count(windows.begin(), windows.end(), "1920 0 1280 1024 topmost unlisted"), 1)
        << testing::PrintToString(windows);
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                  [](const std::string& w) { return w.find("not-topmost listed") != std::string::npos; }),
        1);
    ASSERT_TRUE(saver.running());
    ASSERT_TRUE(movePointer(x + 40, 500));
    EXPECT_EQ(saver.waitForExit(exitLimit), 0) << "a 40 px move";
}

INSTANTIATE_TEST_SUITE_P(Rests, WineDesk, testing::ValuesIn(restCases),
    [](const testing::TestParamInfo<RestCase>& info) { return std::string(info.param.name); });
