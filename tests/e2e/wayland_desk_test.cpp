// A Wayland desk (sway, see with_sway.sh): two outputs side by side with a
// bar along each, a person's pointer and keys coming through wayvnc. The
// saver, run as the session runs its programs, shows the page on the first
// output and black on the other, no pointer and no bar; a key or a move on
// either output ends it, a pointer the compositor moves does not, and the
// idle daemon's later timeouts still come.
#include "e2e_support.h"
#include "../support/service_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

using namespace e2e;

namespace {
const std::string pageOutput = "X11-1";
const std::string otherOutput = "X11-2";
constexpr int otherX = 1920;
constexpr int otherWidth = 1280;
constexpr int otherHeight = 1024;

bool swaymsg(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "swaymsg");
    return runCommand(inSession(arguments)) == 0;
}

// wayvnc's pointer moves over a 1920x1080 region of the desk, which sway
// puts on the output the pointer is to go to: one pixel of it is one of the desk.
bool pointerTo(int x, int y)
{
    const int left = x >= otherX ? otherX : 0;
    return swaymsg({"input", "type:pointer", "map_to_region", std::to_string(left), "0", "1920", "1080"})
        && vnc({"move", std::to_string(x - left), std::to_string(y)});
}

bool pressKey()
{
    return vnc({"key", "0x78"});
}

int nonBlack(const Screenshot& shot)
{
    std::string first;
    return countFailing(shot, 0, 0, shot.width() - 1, shot.height() - 1, isBlack, first);
}

// sway 1.10 shows an ended saver's last picture a moment longer, which would
// pass for the next one's page: each saver starts from the desktop.
bool desktopShows()
{
    return waitUntil([] { return nonBlack(outputShot(pageOutput)) > 0; }, 5s);
}

std::unique_ptr<ChildProcess> startWithPointerAt(int x, int y, const PageGeometry& page)
{
    EXPECT_TRUE(desktopShows());
    EXPECT_TRUE(pointerTo(x, y));
    auto saver = std::make_unique<ChildProcess>(inSession({saverProgram().string()}));
    EXPECT_TRUE(waitForFedPaperOnOutput(page, 20s))
        << "the paper never reached its fed height on " << pageOutput << "; the saver said: " << saver->standardError();
    return saver;
}

struct WaylandCase {
    const char* name;
    int pointerX; // where the pointer rests on the desk, at height 500
    // Moves to the right, from where it rests: all but the last leave the
    // saver running, the last ends it. None: a key press ends it.
    std::vector<int> moves;
};

const WaylandCase waylandCases[] = {
    {"KeyWithThePointerOnThePage", 960, {}},
    // Keys go to the window the pointer is in: the other output's.
    {"KeyWithThePointerOnTheOtherOutput", otherX + 600, {}},
    {"MovesOnTheOtherOutput", otherX + 600, {5, 40}},
    // Across the edge, 25 px is 25 px of the desk, not a jump to the other
    // window's own left edge.
    {"MovedAcrossOntoTheOtherOutput", 1900, {25, 40}},
};

class WaylandDesk : public testing::TestWithParam<WaylandCase> {};
}

TEST_P(WaylandDesk, PageOnTheFirstOutputTheOtherBlackAndEndedFromEither)
{
    const WaylandCase& c = GetParam();
    const PageGeometry page = *geometryFor(1920, 1080);
    const int y = 500;
    std::unique_ptr<ChildProcess> saver = startWithPointerAt(c.pointerX, y, page);
    ASSERT_TRUE(saver->running()) << saver->standardError();

    Screenshot pageShot = outputShot(pageOutput, "e2e-wayland-" + std::string(c.name) + ".png");
    ASSERT_TRUE(pageShot.ok()) << "grim took no picture";
    // Black but for the page: no bar, no desktop, no pointer where it rests.
    expectFedPage(pageShot, page);
    // sway sends the pointer into a window that came under it at a moment
    // of its own; the saver hides it then.
    const std::string otherName = "e2e-wayland-" + std::string(c.name) + "-other.png";
    int otherShows = -1;
    EXPECT_TRUE(waitUntil(
        [&] {
            Screenshot shot = outputShot(otherOutput, otherName);
            const bool whole = shot.ok() && shot.width() == otherWidth && shot.height() == otherHeight;
            otherShows = whole ? nonBlack(shot) : -1;
            return otherShows == 0;
        },
        3s))
        << "the other output shows the desktop, its bar or the pointer: " << otherShows << " pixels not black";

    if (c.moves.empty()) {
        ASSERT_TRUE(pressKey());
    }
    for (size_t i = 0; i < c.moves.size(); ++i) {
        ASSERT_TRUE(pointerTo(c.pointerX + c.moves[i], y));
        if (i + 1 < c.moves.size()) {
            EXPECT_FALSE(saver->waitForExit(1500ms).has_value()) << "ended by a move of " << c.moves[i] << " px";
        }
    }
    EXPECT_EQ(saver->waitForExit(5s), 0) << (c.moves.empty() ? "a key press" : "the last move");
}

INSTANTIATE_TEST_SUITE_P(Sway, WaylandDesk, testing::ValuesIn(waylandCases),
    [](const testing::TestParamInfo<WaylandCase>& info) { return std::string(info.param.name); });

namespace {
// Puts an output setting back when the test ends, however it ends.
struct OutputSetting {
    std::vector<std::string> restore;
    ~OutputSetting() { swaymsg(restore); }
};

// The outputs are windows of the X server in DISPLAY (see with_sway.sh);
// closing one has the output go, as one switched off or unplugged does.
bool unplugOutput(int width, int height)
{
    X11Display x;
    for (const TopLevelWindow& w : x.windows())
        if (w.width == width && w.height == height) {
            x.closeOutputWindow(w.id);
            return true;
        }
    return false;
}

// wayvnc ends when its output goes; a person's keys come again through one
// that shows the output left.
std::unique_ptr<ChildProcess> vncOn(const std::string& output)
{
    const std::filesystem::path socket = sessionVariable("TAPWRITE_VNC_SOCKET");
    std::error_code ignored;
    std::filesystem::remove(socket, ignored);
    std::vector<std::string> command{"wayvnc", "-o", output, "-u", socket.string()};
    // wayvnc 0.6 and later keep one control socket per runtime folder unless
    // told another: the first may still hold it.
    if (runCommand({"sh", "-c", "wayvnc --help | grep -q -- --socket="}) == 0)
        command.insert(command.end(), {"-S", socket.string() + ".control"});
    auto vnc = std::make_unique<ChildProcess>(inSession(command));
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(socket); }, 10s)) << vnc->standardError();
    return vnc;
}

// Once lines are typed the sheet has rolled up: along the top row black, along
// the bottom one paper between the layout's columns and black beside it.
int pixelsOffTheTypedPage(const Screenshot& shot, const PageGeometry& page)
{
    const int right = shot.width() - 1;
    const int bottom = shot.height() - 1;
    std::string first;
    return countFailing(shot, 0, 0, right, 0, isBlack, first)
        + countFailing(shot, 0, bottom, page.paperLeft - 1, bottom, isBlack, first)
        + countFailing(shot, page.paperLeft, bottom, page.paperRight, bottom, isPaper, first)
        + countFailing(shot, page.paperRight + 1, bottom, right, bottom, isBlack, first);
}

struct OutputChange {
    const char* name;
    int pointerX; // where the pointer rests, at height 900, when the output changes
    bool pagesOutputGoes;
    // The change; the other output shrinks when this is empty.
    bool (*unplug)();
};

const OutputChange outputChanges[] = {
    {"OtherOutputShrunk", otherX + 1000, false, nullptr},
    {"OtherOutputUnplugged", otherX + 1000, false, [] { return unplugOutput(otherWidth, otherHeight); }},
    // The page moves to the output left and is laid out for it, also when
    // that output's own window was what it showed.
    {"PagesOutputUnplugged", otherX + 1000, true, [] { return unplugOutput(1920, 1080); }},
};

class WaylandDeskOutputs : public testing::TestWithParam<OutputChange> {};
}

// The compositor moves the pointer off an output that shrinks or goes, and
// moves the windows of one that goes to another: the saver runs on, the
// page and black show on what is left, and a person still ends it.
TEST_P(WaylandDeskOutputs, AnOutputChangedUnderTheRestingPointerStaysCoveredAndWakesNobody)
{
    const OutputChange& c = GetParam();
    const PageGeometry page = *geometryFor(1920, 1080);
    std::unique_ptr<ChildProcess> saver = startWithPointerAt(c.pointerX, 900, page);
    OutputSetting restore{{"output", otherOutput, "mode", "1280x1024"}};
    if (c.unplug)
        ASSERT_TRUE(c.unplug());
    else
        ASSERT_TRUE(swaymsg({"output", otherOutput, "mode", "800x600"}));
    const std::optional<int> ended = saver->waitForExit(2s);
    ASSERT_FALSE(ended.has_value()) << "ended with " << *ended << " after the change: " << saver->standardError();

    // The page's output, or the one left when that went, shows the page laid
    // out for it and black.
    const std::string pagesOutputNow = c.pagesOutputGoes ? otherOutput : pageOutput;
    const PageGeometry laidOut = c.pagesOutputGoes ? *geometryFor(otherWidth, otherHeight) : page;
    const std::string shot = "e2e-wayland-" + std::string(c.name) + ".png";
    int misplaced = -1;
    EXPECT_TRUE(waitUntil(
        [&] {
            Screenshot s = outputShot(pagesOutputNow, shot);
            misplaced = s.ok() && s.width() == laidOut.screenWidth ? pixelsOffTheTypedPage(s, laidOut) : -1;
            return misplaced == 0;
        },
        10s))
        << "no page laid out for " << pagesOutputNow << " shows there: " << misplaced << " pixels out of place";
    if (!c.unplug) {
        Screenshot other = outputShot(otherOutput, "e2e-wayland-shrunk-output.png");
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(other.width(), 800);
        EXPECT_EQ(nonBlack(other), 0) << "the shrunk output shows the desktop";
    }

    // A person still ends it.
    std::unique_ptr<ChildProcess> vnc;
    if (c.pagesOutputGoes) {
        vnc = vncOn(otherOutput);
        ASSERT_TRUE(pressKey());
    } else {
        ASSERT_TRUE(pointerTo(100, 100));
    }
    EXPECT_EQ(saver->waitForExit(5s), 0);
}

INSTANTIATE_TEST_SUITE_P(Sway, WaylandDeskOutputs, testing::ValuesIn(outputChanges),
    [](const testing::TestParamInfo<OutputChange>& info) { return std::string(info.param.name); });

namespace {
// Which output is at scale 2; the page's window takes the largest scale of
// all until it shows on its own output.
class WaylandDeskScale : public testing::TestWithParam<std::string> {};
}

// At scale 2 the page is laid out for the output's 1920x1080 pixels, not
// for its 960x540 in the desk's units blown up; beside an output at scale 2,
// not for twice its pixels.
TEST_P(WaylandDeskScale, ThePageIsDrawnAtItsOutputsOwnPixels)
{
    const PageGeometry page = *geometryFor(1920, 1080);
    OutputSetting restore{{"output", GetParam(), "scale", "1"}};
    ASSERT_TRUE(swaymsg({"output", GetParam(), "scale", "2"}));
    std::unique_ptr<ChildProcess> saver = startWithPointerAt(500, 300, page);
    Screenshot shot = outputShot(pageOutput, "e2e-wayland-scale-2-on-" + GetParam() + ".png");
    ASSERT_TRUE(shot.ok());
    ASSERT_EQ(shot.width(), 1920);
    expectFedPage(shot, page);
    expectFirstLineTyped(shot, page);
    ASSERT_TRUE(pressKey());
    EXPECT_EQ(saver->waitForExit(5s), 0);
}

INSTANTIATE_TEST_SUITE_P(Sway, WaylandDeskScale, testing::Values(pageOutput, otherOutput),
    [](const testing::TestParamInfo<std::string>& info) {
        return info.param == pageOutput ? std::string("OnThePagesOutput") : std::string("OnTheOtherOutput");
    });

namespace {
bool processAlive(pid_t pid)
{
    const std::string stat = readWholeFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t end = stat.rfind(')');
    return end != std::string::npos && end + 2 < stat.size() && stat[end + 2] != 'Z';
}

// A word for sh -c, as swayidle runs its commands: the checkout's path may
// hold a blank.
std::string shellWord(const std::string& text)
{
    std::string word = "'";
    for (const char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}
}

// Started as the README says, by swayidle; its later timeout (blanking,
// power-off) still comes while the saver runs: no idle inhibitor is held.
TEST(WaylandDeskIdle, StartedBySwayidleItsLaterTimeoutStillComes)
{
    const PageGeometry page = *geometryFor(1920, 1080);
    const std::filesystem::path marker = runtimeFolder() / "later-timeout";
    const std::filesystem::path pidFile = runtimeFolder() / "saver.pid";
    std::error_code ignored;
    std::filesystem::remove(marker, ignored);
    std::filesystem::remove(pidFile, ignored);
    ASSERT_TRUE(desktopShows());
    ASSERT_TRUE(pointerTo(960, 500));
    ChildProcess swayidle(inSession({"swayidle", "-w", "timeout", "1",
        shellWord(saverProgram().string()) + " & echo $! >" + shellWord(pidFile.string()), "timeout", "4",
        "touch " + shellWord(marker.string())}));
    ASSERT_TRUE(waitForFedPaperOnOutput(page, 20s)) << "swayidle never started the saver: " << swayidle.standardError();
    const pid_t saver = std::atoi(readWholeFile(pidFile).c_str());
    ASSERT_GT(saver, 0);
    struct EndSaver {
        pid_t pid;
        ~EndSaver() { kill(pid, SIGKILL); }
    } endSaver{saver};

    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(marker); }, 10s))
        << "swayidle's later timeout never came while the saver ran";
    EXPECT_TRUE(processAlive(saver)) << "the saver ended before the timeout came";
    ASSERT_TRUE(pressKey());
    EXPECT_TRUE(waitUntil([&] { return !processAlive(saver); }, 5s)) << "a key did not end the daemon's saver";
    swayidle.signal(SIGTERM);
    EXPECT_TRUE(swayidle.waitForExit(5s).has_value());
}

namespace {
// sway's word on a window: shown on a visible workspace, with the keyboard.
bool swayShowsWithTheKeyboard(const std::string& title)
{
    const std::string check = "import json, sys\n"
                              "def walk(n):\n"
                              "    yield n\n"
                              "    for c in n.get('nodes', []) + n.get('floating_nodes', []): yield from walk(c)\n"
                              "tree = json.load(sys.stdin)\n"
                              "sys.exit(0 if any(n.get('name') == sys.argv[1] and n.get('visible') and n.get('focused')"
                              " for n in walk(tree)) else 1)";
    return runCommand(inSession({"sh", "-c", "swaymsg -t get_tree | /usr/bin/python3 -c \"$0\" \"$1\"", check, title}))
        == 0;
}
}

// The "New Version!" box at the end of a run: the compositor keeps a
// full-screen window over another program's, so the saver's windows make
// way; the box shows over the page's output with the keyboard, and Return
// answers it.
TEST(WaylandDeskBox, TheNewVersionBoxShowsWithTheKeyboardAndReturnAnswersIt)
{
    ServiceFixture service(TAPWRITE_E2E_SERVICE_PORT);
    ASSERT_TRUE(service.ready()) << "the loopback service did not start";
    service.serve("sstext", "ONE.\r\nTWO.\r\n");
    service.serve("sys", "VERSION5.1\r\nmessageNum:1\r\nmessage:Thanks for typing.");
    const PageGeometry page = *geometryFor(1920, 1080);
    ASSERT_TRUE(desktopShows());
    ASSERT_TRUE(pointerTo(960, 500));
    ChildProcess saver(inSession({TAPWRITE_E2E_LOOPBACK_SAVER}));
    ASSERT_TRUE(waitForFedPaperOnOutput(page, 20s)) << saver.standardError();
    ASSERT_TRUE(pressKey());

    // The page's output no longer shows the stopped page: its centre, black
    // there, is the box's (or the desk's around it).
    int centreShows = 0;
    EXPECT_TRUE(waitUntil(
        [&] {
            if (!swayShowsWithTheKeyboard("New Version!"))
                return false;
            Screenshot shot = outputShot(pageOutput, "e2e-wayland-box.png");
            std::string first;
            centreShows = shot.ok() ? countFailing(shot, 860, 490, 1060, 590, isBlack, first) : 0;
            return centreShows > 0;
        },
        3s))
        << "the box is not shown with the keyboard over the page (" << centreShows << " pixels at the centre)";
    EXPECT_TRUE(saver.running()) << "the saver ended before the box was answered";
    ASSERT_TRUE(vnc({"key", "0xff0d"}));
    EXPECT_EQ(saver.waitForExit(5s), 0) << "Return did not answer the box";
}
