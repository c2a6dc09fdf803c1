// A desk of two monitors (Xorg with the dummy driver, see with_xorg_dummy.sh):
// the page on the primary monitor, the other one black, no pointer on either,
// the run ended from either, monitors that come and go; and the server's own
// screen saver still coming on while the saver runs.
#include "e2e_support.h"
#include "../support/service_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <thread>

using namespace e2e;

namespace {
constexpr int otherWidth = 1280;
constexpr int otherHeight = 1024;
// What the desktop shows where the saver leaves it uncovered.
constexpr unsigned long deskColour = 0xe0e0e0;

struct Desk {
    bool primaryOnTheLeft;
    // Both outputs made one monitor (xrandr --setmonitor), the page on the first.
    bool oneMonitor = false;
    int pageX() const { return primaryOnTheLeft ? 0 : otherWidth; }
    int otherX() const { return primaryOnTheLeft ? 1920 : 0; }
};

// Sets the monitors out; the query after it has the dummy driver report an
// output it just switched on as connected.
bool arrange(const Desk& desk)
{
    runCommand({"xrandr", "--delmonitor", "Both"}); // when an earlier desk made it
    return runCommand({"xrandr", "--output", "DUMMY0", "--mode", "1920x1080", "--pos",
               std::to_string(desk.pageX()) + "x0", "--primary", "--output", "DUMMY1", "--mode", "1280x1024", "--pos",
               std::to_string(desk.otherX()) + "x0"})
        == 0
        && (!desk.oneMonitor
            || runCommand({"xrandr", "--setmonitor", "Both", "3200/846x1080/285+0+0", "DUMMY0,DUMMY1"}) == 0)
        && runCommand({"xrandr"}) == 0;
}

bool switchOtherMonitor(const Desk& desk, bool on)
{
    if (!on)
        return runCommand({"xrandr", "--output", "DUMMY1", "--off"}) == 0;
    return arrange(desk);
}

// A window of the test's own over the whole desk, standing for the desktop
// and the programs open on it, so that any part left uncovered shows.
struct DeskWindow : OwnWindow {
    explicit DeskWindow(X11Display::Kind kind = X11Display::Kind::Plain)
        : OwnWindow(0, 0, 1920 + otherWidth, 1080, deskColour, kind)
    {
    }
};

int saverWindowCount()
{
    int count = 0;
    for (const TopLevelWindow& w : x11().windowsNamed(saverWindowName))
        count += w.viewable;
    return count;
}

bool saverHasTheKeyboard()
{
    const unsigned long focus = x11().focus();
    for (const TopLevelWindow& w : x11().windowsNamed(saverWindowName))
        if (w.id == focus)
            return true;
    return false;
}

int uncoveredOnOtherMonitor(const Desk& desk)
{
    return x11().nonBlackIn(desk.otherX(), 0, otherWidth, otherHeight);
}

// Starts the saver with the pointer resting at (x, y) and waits until the page
// is fed and the other monitor covered.
std::unique_ptr<ChildProcess> startOnDesk(const Desk& desk, const PageGeometry& page, int x, int y,
    bool focusFollowsPointer = true)
{
    EXPECT_TRUE(arrange(desk));
    EXPECT_TRUE(movePointer(x, y));
    if (focusFollowsPointer)
        x11().focusFollowsPointer();
    auto saver = std::make_unique<ChildProcess>(commandLine(saverProgram(), {}));
    EXPECT_TRUE(waitUntil([] { return saverWindowCount() == 2; }, 10s)) << "not one window per monitor";
    EXPECT_TRUE(waitForFedPaper(page, 10s)) << "the paper never reached its fed height on the primary monitor";
    return saver;
}

struct DeskCase {
    const char* name;
    Desk desk;
    int pointerX; // where the pointer rests, from the desk's left edge
    // Moves to the right, from where it rests: all but the last leave the
    // saver running, the last ends it. None: a key press ends it.
    std::vector<int> moves;
};

const DeskCase deskCases[] = {
    {"PrimaryLeftPointerOnThePageKeyPress", {true}, 960, {}},
    {"PrimaryRightPointerOnTheOtherMonitor", {false}, 600, {40}},
    // 25 px across the edge into the other monitor's window is 25 px, not a
    // jump to that window's own left edge; 40 px is enough.
    {"MovedAcrossFromThePageToTheOtherMonitor", {true}, 1900, {25, 40}},
    // The page on the monitor's first output, the rest of it black.
    {"OneMonitorOfBothOutputs", {true, true}, 960, {}},
};

class TwoMonitors : public testing::TestWithParam<DeskCase> {};
}

TEST_P(TwoMonitors, PageOnThePrimaryTheOtherBlackNoPointerAndEndedFromWhereThePointerIs)
{
    const DeskCase& c = GetParam();
    const PageGeometry page = placedAt(*geometryFor(1920, 1080), c.desk.pageX(), 0);
    DeskWindow desktop;
    ASSERT_NE(desktop.id, 0u);
    const int y = 500;
    std::unique_ptr<ChildProcess> saver = startOnDesk(c.desk, page, c.pointerX, y);
    ASSERT_TRUE(saver->running());

    Screenshot shot(buildFolder() / ("e2e-desk-" + std::string(c.name) + ".png"));
    ASSERT_TRUE(shot.ok());
    expectFedPage(shot, page);
    EXPECT_EQ(uncoveredOnOtherMonitor(c.desk), 0) << "the other monitor shows the desktop";
    EXPECT_TRUE(x11().pointerHidden()) << "a pointer shows where it rests";

    if (c.moves.empty()) {
        ASSERT_TRUE(xdotool({"key", "x"}));
    }
    for (size_t i = 0; i < c.moves.size(); ++i) {
        ASSERT_TRUE(movePointer(c.pointerX + c.moves[i], y));
        if (i + 1 < c.moves.size()) {
            EXPECT_FALSE(saver->waitForExit(1500ms).has_value()) << "ended by a move of " << c.moves[i] << " px";
            EXPECT_TRUE(x11().pointerHidden()) << "a pointer shows after a move of " << c.moves[i] << " px";
        }
    }
    EXPECT_EQ(saver->waitForExit(5s), 0) << (c.moves.empty() ? "a key press" : "the last move");
    EXPECT_EQ(saverWindowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Desks, TwoMonitors, testing::ValuesIn(deskCases),
    [](const testing::TestParamInfo<DeskCase>& info) { return std::string(info.param.name); });

TEST(TwoMonitors, AMonitorSwitchedOffAndOnAgainIsCoveredAgainAndRepaintedAndWakesNobody)
{
    const Desk desk{true};
    const PageGeometry page = *geometryFor(1920, 1080);
    DeskWindow desktop;
    // Resting on the monitor that goes: the server moves the pointer off it.
    std::unique_ptr<ChildProcess> saver = startOnDesk(desk, page, 2500, 500);
    struct Restore {
        Desk desk;
        ~Restore() { switchOtherMonitor(desk, true); }
    } restore{desk};

    ASSERT_TRUE(switchOtherMonitor(desk, false));
    EXPECT_TRUE(waitUntil([] { return saverWindowCount() == 1; }, 5s)) << "the other monitor's window stayed";
    ASSERT_FALSE(saver->waitForExit(1500ms).has_value()) << "ended by the pointer the server moved";
    ASSERT_TRUE(switchOtherMonitor(desk, true));
    EXPECT_TRUE(waitUntil([&] { return uncoveredOnOtherMonitor(desk) == 0; }, 5s))
        << "the returned monitor shows the desktop";
    EXPECT_TRUE(saver->running());
    EXPECT_TRUE(x11().pointerHidden());

    // A window another program maps over it (a reminder, a dialog) is put
    // below it again.
    OwnWindow passing(desk.otherX() + 100, 100, 400, 300, deskColour);
    ASSERT_NE(passing.id, 0u);
    EXPECT_TRUE(waitUntil([&] { return uncoveredOnOtherMonitor(desk) == 0; }, 3s)) << "a new window shows";

    // A person's move, right after the monitors changed, still ends it.
    ASSERT_TRUE(xdotool({"mousemove_relative", "--", "40", "0"}));
    EXPECT_EQ(saver->waitForExit(5s), 0) << "a 40 px move";
}

// A screen locker started while the saver runs (i3lock, in green) locks: it
// gets the keyboard and the pointer, and shows above the saver until it ends.
TEST(TwoMonitors, ALockerStartedWhileTheSaverRunsLocksAboveIt)
{
    constexpr unsigned long lockerColour = 0x00ff00;
    const Desk desk{true};
    DeskWindow desktop;
    std::unique_ptr<ChildProcess> saver = startOnDesk(desk, *geometryFor(1920, 1080), 960, 500);
    ChildProcess locker({"i3lock", "-n", "-c", "00ff00"});
    const auto lockerShows = [] { return x11().pixelsOfColour(0, 0, 1920, 1080, lockerColour) == 1920 * 1080; };
    EXPECT_TRUE(waitUntil(lockerShows, 10s)) << "the locker does not show: " << locker.standardError();
    // Still locked a while later: it held its grabs, and the saver stayed below.
    EXPECT_FALSE(locker.waitForExit(2s).has_value()) << "the locker gave up: " << locker.standardError();
    EXPECT_TRUE(lockerShows());
    EXPECT_TRUE(saver->running());
    locker.signal(SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return !locker.running(); }, 5s));
    ASSERT_TRUE(xdotool({"key", "x"}));
    EXPECT_EQ(saver->waitForExit(5s), 0);
}

// Under the window managers of Debian's desktops and tiling users, with a
// panel along the bottom of each monitor and the desktop drawn by a window of
// its own, as desks have them; another program's window has the keyboard.
namespace {
struct WindowManagerCase {
    const char* name;
    std::vector<std::string> command;
    // A configuration it reads, written to a file its command names as {}.
    const char* configuration = nullptr;
};

const WindowManagerCase windowManagerCases[] = {
    {"Openbox", {"openbox", "--sm-disable"}},
    // A configuration of its own keeps it from asking the user to write one.
    {"I3", {"i3", "-c", "{}"}, "# i3 config file (v4)\nfont pango:monospace 8\n"},
    // Its settings live behind a session bus: one of its own, which ends with it.
    {"Xfwm4", {"dbus-run-session", "--", "xfwm4", "--replace", "--sm-client-disable"}},
};

struct WindowManager : ChildProcess {
    WindowManager(std::vector<std::string> command, const TempFolder& folder, const char* configuration)
        : ChildProcess(withConfiguration(std::move(command), folder, configuration))
    {
    }
    // Ended as a session ends it, every process of it (Xfwm4 runs behind its
    // bus), so that it hands the desk back as it found it. The next row's
    // starts only once the server has let this one go: one started before
    // that finds the screen taken and gives up.
    ~WindowManager()
    {
        if (pid() <= 0)
            return;
        ::kill(-pid(), SIGTERM);
        waitForExit(5s);
        ::kill(-pid(), SIGKILL);
        waitUntil([] { return !x11().windowManagerRunning(); }, 10s);
    }
    static std::vector<std::string> withConfiguration(
        std::vector<std::string> command, const TempFolder& folder, const char* configuration)
    {
        if (configuration) {
            const std::filesystem::path file = folder.path() / "config";
            std::ofstream(file) << configuration;
            std::replace(command.begin(), command.end(), std::string("{}"), file.string());
        }
        return command;
    }
};

class UnderAWindowManager : public testing::TestWithParam<WindowManagerCase> {};
}

TEST_P(UnderAWindowManager, NothingButThePageAndBlackShowsAndTheWakingKeyGoesNowhereElse)
{
    constexpr unsigned long panelColour = 0xff0000;
    constexpr unsigned long otherProgramColour = 0x0000ff;
    constexpr int panelHeight = 32;
    const WindowManagerCase& c = GetParam();
    const Desk desk{true};
    const PageGeometry page = *geometryFor(1920, 1080);
    ASSERT_TRUE(arrange(desk));
    DeskWindow desktop(X11Display::Kind::Desktop);
    OwnWindow pagePanel(0, 1080 - panelHeight, 1920, panelHeight, panelColour, X11Display::Kind::Panel);
    OwnWindow otherPanel(1920, otherHeight - panelHeight, otherWidth, panelHeight, panelColour, X11Display::Kind::Panel);
    ASSERT_TRUE(desktop.id && pagePanel.id && otherPanel.id);
    const auto panelsShowing = [] { return x11().pixelsOfColour(0, 0, 1920 + otherWidth, 1080, panelColour); };
    TempFolder folder("window-manager");
    WindowManager manager(c.command, folder, c.configuration);
    // It takes the windows already there as it starts; once it has, it is
    // ready for the saver's.
    ASSERT_TRUE(waitUntil(
        [&] {
            return x11().managed(desktop.id) && x11().managed(pagePanel.id) && x11().managed(otherPanel.id)
                && panelsShowing() == (1920 + otherWidth) * panelHeight;
        },
        20s))
        << c.name << " did not take the desktop and the panels: " << panelsShowing() << " pixels of panel show; it "
        << (manager.running() ? "runs" : "ended") << ", said: " << manager.standardError();
    // Another program's window, with the keyboard: a half-written message.
    OwnWindow message(300, 200, 600, 400, otherProgramColour);
    ASSERT_NE(message.id, 0u);
    ASSERT_TRUE(waitUntil([&] { return x11().managed(message.id); }, 5s));
    x11().focusOn(message.id);
    x11().watchKeys(message.id);

    std::unique_ptr<ChildProcess> saver = startOnDesk(desk, page, 960, 500, false);
    ASSERT_TRUE(saver->running());
    EXPECT_TRUE(waitUntil([&] { return panelsShowing() == 0; }, 5s)) << "a panel shows over the saver";
    Screenshot shot(buildFolder() / ("e2e-desk-" + std::string(c.name) + ".png"));
    ASSERT_TRUE(shot.ok());
    expectFedPage(shot, page);
    EXPECT_EQ(uncoveredOnOtherMonitor(desk), 0) << "the other monitor shows the desktop";
    EXPECT_EQ(x11().pixelsOfColour(0, 0, 1920, 1080, deskColour), 0) << "the desktop shows";
    EXPECT_TRUE(saverHasTheKeyboard()) << "the keyboard stayed with the other program";
    // A window another program opens while it runs goes below it, and the
    // keyboard the window manager gave it comes back.
    OwnWindow reminder(1920 + 200, 200, 400, 300, otherProgramColour);
    ASSERT_NE(reminder.id, 0u);
    EXPECT_TRUE(waitUntil(
        [&] {
            return x11().pixelsOfColour(0, 0, 1920 + otherWidth, 1080, otherProgramColour) == 0
                && saverHasTheKeyboard();
        },
        5s))
        << "another program's window shows over the saver, or has the keyboard";

    ASSERT_TRUE(xdotool({"key", "x"}));
    EXPECT_EQ(saver->waitForExit(5s), 0) << "a key press";

    EXPECT_EQ(x11().keyPressesSinceWatch(), 0) << "the waking key reached the other program";

    // Started again with the pointer resting on the other monitor: a move there.
    saver = startOnDesk(desk, page, 2500, 500, false);
    EXPECT_TRUE(waitUntil([&] { return uncoveredOnOtherMonitor(desk) == 0 && panelsShowing() == 0; }, 5s))
        << "the other monitor shows the desktop or a panel";
    ASSERT_TRUE(movePointer(2540, 500));
    EXPECT_EQ(saver->waitForExit(5s), 0) << "a 40 px move on the other monitor";
    EXPECT_TRUE(manager.running()) << c.name << " ended: " << manager.standardError();
}

TEST_P(UnderAWindowManager, TheNewVersionBoxShowsOverThePageAndTakesReturn)
{
    const WindowManagerCase& c = GetParam();
    const Desk desk{true};
    const PageGeometry page = *geometryFor(1920, 1080);
    ASSERT_TRUE(arrange(desk));
    // Another program's window, with the keyboard, there before the window
    // manager, which takes it as it starts; once it has, it is ready.
    OwnWindow message(300, 200, 600, 400, 0x0000ff);
    ASSERT_NE(message.id, 0u);
    TempFolder folder("window-manager");
    WindowManager manager(c.command, folder, c.configuration);
    ASSERT_TRUE(waitUntil([&] { return x11().managed(message.id); }, 20s)) << manager.standardError();
    x11().focusOn(message.id);
    ServiceFixture service(TAPWRITE_E2E_SERVICE_PORT);
    ASSERT_TRUE(service.ready());
    service.serve("sstext", "ONE.\r\nTWO.\r\n");
    service.serve("sys", "VERSION5.1\r\nmessageNum:1\r\nmessage:Hi");
    ASSERT_TRUE(movePointer(960, 500));
    ChildProcess saver(commandLine(TAPWRITE_E2E_LOOPBACK_SAVER, {"/s"}));
    ASSERT_TRUE(waitUntil([] { return saverWindowCount() == 2; }, 20s));
    ASSERT_TRUE(waitForFedPaper(page, 10s));

    ASSERT_TRUE(xdotool({"key", "x"}));
    std::optional<TopLevelWindow> box;
    EXPECT_TRUE(waitUntil(
        [&] {
            box = waitForWindow("New Version!", 0ms);
            return box && boxShows(*box) && x11().focus() == box->id;
        },
        3s))
        << "the box does not show over the page, or has not the keyboard: shows " << (box && boxShows(*box))
        << ", focus " << x11().focus() << ", box " << (box ? box->id : 0);
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(xdotool({"key", "Return"}));
    EXPECT_EQ(saver.waitForExit(5s), 0) << "Return did not close the box";
}

INSTANTIATE_TEST_SUITE_P(Desks, UnderAWindowManager, testing::ValuesIn(windowManagerCases),
    [](const testing::TestParamInfo<WindowManagerCase>& info) { return std::string(info.param.name); });

namespace {
struct PowerCase {
    const char* name;
    bool inHostWindow;
};

const PowerCase powerCases[] = {
    {"Standalone", false},
    {"InAHostWindow", true},
};

class ServerScreenSaver : public testing::TestWithParam<PowerCase> {};
}

TEST_P(ServerScreenSaver, ComesOnWhileTheSaverRuns)
{
    ASSERT_TRUE(arrange(Desk{true}));
    ASSERT_TRUE(movePointer(960, 500));
    std::optional<OwnWindow> host;
    std::vector<std::string> switches;
    if (GetParam().inHostWindow) {
        host.emplace(0, 0, 1920, 1080, 0);
        ASSERT_NE(host->id, 0u);
        switches = {"-window-id", std::to_string(host->id)};
    }
    struct Restore {
        ~Restore() { x11().setServerScreenSaver(0); }
    } restore;

    ChildProcess saver(commandLine(saverProgram(), switches));
    ASSERT_TRUE(waitForFedPaper(*geometryFor(1920, 1080), 10s));
    // Counted from now: no input reaches the server while the saver runs.
    x11().setServerScreenSaver(2);
    EXPECT_TRUE(waitUntil([] { return x11().serverScreenSaverOn(); }, 20s))
        << "the server's screen saver was held off";
    EXPECT_TRUE(saver.running());
    saver.signal(SIGTERM);
    EXPECT_EQ(saver.waitForExit(5s), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, ServerScreenSaver, testing::ValuesIn(powerCases),
    [](const testing::TestParamInfo<PowerCase>& info) { return std::string(info.param.name); });
