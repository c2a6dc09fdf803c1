// A screen-saver host's window handed over by id: the saver draws its page
// into that window alone, laid out for the window's size as it is and as it
// becomes, and ends when the host sends SIGTERM, leaving the window to the
// host, or when the host destroys it. A bad id ends the run.
#include "e2e_support.h"
#include "../support/resident_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

using namespace e2e;

namespace {
// Where the host's window stands; grown to 1600x900 it still fits the screen.
constexpr int paneX = 200;
constexpr int paneY = 100;
// The pane's own background, so that anything left undrawn in it shows, and
// a grey behind it, so that anything the saver drew around it would show.
constexpr unsigned long paneColour = 0x2040c0;
constexpr unsigned long backdropColour = 0x808080;

std::string hex(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// Pixels outside the rectangle that differ between the two screenshots.
int changedOutside(const Screenshot& before, const Screenshot& after, int x0, int y0, int x1, int y1)
{
    int changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            if (x >= x0 && x <= x1 && y >= y0 && y <= y1)
                continue;
            Uint8 r0, g0, b0, r1, g1, b1;
            before.pixel(x, y, r0, g0, b0);
            after.pixel(x, y, r1, g1, b1);
            changed += r0 != r1 || g0 != g1 || b0 != b1;
        }
    return changed;
}

struct HostCase {
    const char* name;
    bool inEnvironment; // XSCREENSAVER_WINDOW in hex, else -window-id in decimal
    int width, height;  // a settings preview pane's size
    int grownWidth = 0, grownHeight = 0; // the size the host then gives it
    bool destroyed = false; // the host destroys its window instead of SIGTERM
    bool busyMachine = false; // both cores kept busy all through
};

// Keeps two cores busy while it lives, as builds beside the tests do.
struct BusyCores {
    ChildProcess first{{"sh", "-c", "while :; do :; done"}};
    ChildProcess second{{"sh", "-c", "while :; do :; done"}};
};

const HostCase hostCases[] = {
    {"XScreenSaverWindowVariable", true, 400, 300},
    {"WindowIdSwitch", false, 400, 300},
    // Too narrow for a readable point size: the smallest one still runs.
    {"PaneUnder85PixelsWide", true, 60, 40},
    {"GrownTo1600x900", true, 800, 600, 1600, 900},
    {"GrownFrom1x1", false, 1, 1, 800, 600},
    // A host that forgets to end its hack, a preview pane that closes, on a
    // busy machine.
    {"DestroyedByTheHost", true, 400, 300, 0, 0, true, true},
};

class HostWindow : public testing::TestWithParam<HostCase> {};
}

TEST_P(HostWindow, PageFillsOnlyThatWindowUntilTheHostEndsTheRun)
{
    const HostCase& c = GetParam();
    std::optional<BusyCores> busy;
    if (c.busyMachine)
        busy.emplace();
    const int paneWidth = c.grownWidth ? c.grownWidth : c.width;
    const int paneHeight = c.grownWidth ? c.grownHeight : c.height;
    const PageGeometry page = placedAt(*geometryFor(paneWidth, paneHeight), paneX, paneY);
    const OwnWindow backdrop(0, 0, x11().screenWidth(), x11().screenHeight(), backdropColour);
    ASSERT_NE(backdrop.id, 0u);
    TempFolder shots("e2e-shots");
    Screenshot before(shots.path() / "before.png");
    ASSERT_TRUE(before.ok());
    const OwnWindow paneWindow(paneX, paneY, c.width, c.height, paneColour);
    const unsigned long pane = paneWindow.id;
    ASSERT_NE(pane, 0u);

    LaunchOptions options;
    std::vector<std::string> switches{"--root"};
    if (c.inEnvironment)
        options.environment["XSCREENSAVER_WINDOW"] = hex(pane);
    else
        switches = {"-window-id", std::to_string(pane)};
    ChildProcess saver(commandLine(saverProgram(), switches), options);
    ASSERT_TRUE(saver.started());
    long peakKiB = 0;
    auto sampleMemory = [&] { peakKiB = std::max(peakKiB, residentKiB(saver.pid())); };
    if (c.grownWidth) {
        // Drawing (its corner black) into the window at the size it took it at.
        ASSERT_TRUE(waitUntil([] {
            std::vector<Rgb> corner = x11().readRow(paneX, paneY, 1);
            return corner.size() == 1 && isBlack(corner[0].r, corner[0].g, corner[0].b);
        }, 10s));
        ASSERT_TRUE(xdotool({"windowsize", std::to_string(pane), std::to_string(paneWidth), std::to_string(paneHeight)}));
    }
    ASSERT_TRUE(waitForFedPaper(page, 10s)) << "the paper never reached its fed height in the window\n"
                                            << saver.standardError();
    EXPECT_FALSE(windowExists(saverWindowName)) << "the saver opened a window of its own";

    Screenshot shot(buildFolder() / ("e2e-host-window-" + std::string(c.name) + ".png"));
    ASSERT_TRUE(shot.ok());
    expectFedPage(shot, page);
    EXPECT_EQ(changedOutside(before, shot, paneX, paneY, paneX + paneWidth - 1, paneY + paneHeight - 1), 0)
        << "drawn outside the host's window";

    if (c.destroyed) {
        const auto destroyAt = std::chrono::steady_clock::now() + 3s;
        waitUntil([&] { sampleMemory(); return std::chrono::steady_clock::now() >= destroyAt; }, 5s);
        x11().destroyWindow(pane);
    } else {
        saver.signal(SIGTERM);
    }
    const auto ending = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitUntil([&] { sampleMemory(); return !saver.running(); }, 3s)) << "still running";
    RecordProperty("ended_after_ms",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - ending).count()));
    RecordProperty("peak_resident_kib", static_cast<int>(peakKiB));
    EXPECT_EQ(saver.waitForExit(0s), 0);
    EXPECT_LT(peakKiB, 300 * 1024) << "resident memory peaked at " << peakKiB << " KiB";
    EXPECT_EQ(saver.standardError(), "");
    if (c.destroyed)
        return;
    std::optional<TopLevelWindow> left = x11().windowWithId(pane);
    ASSERT_TRUE(left.has_value()) << "the host's window was destroyed";
    EXPECT_TRUE(left->viewable) << "the host's window was unmapped";
}

INSTANTIATE_TEST_SUITE_P(Ids, HostWindow, testing::ValuesIn(hostCases),
    [](const testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

namespace {
// "@gone" stands for the id of a window that was made and destroyed again.
struct BadIdCase {
    const char* name;
    const char* variable; // XSCREENSAVER_WINDOW, or nullptr for unset
    std::vector<std::string> switches;
    const char* message;
    // Whether it gets as far as the media library, whose own hidden windows
    // then come and go; none of the saver's shows either way.
    bool reachesTheDisplay = false;
};

const BadIdCase badIdCases[] = {
    {"Letters", "abc", {"--root"}, "XSCREENSAVER_WINDOW: not a window id: \"abc\""},
    {"SwitchWithoutId", nullptr, {"-window-id"}, "-window-id: not a window id: \"\""},
    {"NoSuchWindowInVariable", "@gone", {"--root"}, "XSCREENSAVER_WINDOW: no such window: @gone"},
    {"NoSuchWindowOnSwitch", nullptr, {"-window-id", "@gone"}, "-window-id: no such window: @gone"},
    // The switch is the more deliberate of the two and wins.
    {"SwitchOverVariable", "abc", {"-window-id", "@gone"}, "-window-id: no such window: @gone"},
    // "@input" stands for a window that takes input and shows nothing.
    {"InputOnlyWindow", nullptr, {"-window-id", "@input"},
        "cannot draw into the host's window: it is an InputOnly window, which shows nothing", true},
};

std::string withIds(std::string text, const std::string& gone, const std::string& input)
{
    for (size_t at = text.find("@gone"); at != std::string::npos; at = text.find("@gone"))
        text.replace(at, 5, gone);
    for (size_t at = text.find("@input"); at != std::string::npos; at = text.find("@input"))
        text.replace(at, 6, input);
    return text;
}

class BadHostWindow : public testing::TestWithParam<BadIdCase> {};
}

TEST_P(BadHostWindow, EndsWithExitCodeOneAndALineOnStandardError)
{
    const BadIdCase& c = GetParam();
    unsigned long goneWindow = x11().createWindow(0, 0, 10, 10, 0);
    ASSERT_NE(goneWindow, 0u);
    x11().destroyWindow(goneWindow);
    const std::string gone = hex(goneWindow);
    const OwnWindow inputOnly(0, 0, 400, 300, 0, X11Display::Kind::Unseen);
    ASSERT_NE(inputOnly.id, 0u);
    const std::string input = hex(inputOnly.id);

    LaunchOptions options;
    options.environment["XSCREENSAVER_WINDOW"] = c.variable ? std::optional(withIds(c.variable, gone, input)) : std::nullopt;
    std::vector<std::string> switches;
    for (const std::string& s : c.switches)
        switches.push_back(withIds(s, gone, input));
    x11().watchWindowCreation();
    ChildProcess saver(commandLine(saverProgram(), switches), options);
    ASSERT_TRUE(saver.started());
    std::optional<int> code = saver.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running, or ended by signal " << saver.terminatingSignal().value_or(0);
    EXPECT_EQ(*code, 1);
    EXPECT_EQ(saver.standardError(), "Tapwrite Screen Saver: " + withIds(c.message, gone, input) + "\n");
    if (!c.reachesTheDisplay) {
        EXPECT_EQ(x11().windowsCreatedSinceWatch(), 0) << "a window was opened instead";
    }
    EXPECT_FALSE(windowExists(saverWindowName)) << "a window was opened instead";
}

INSTANTIATE_TEST_SUITE_P(Ids, BadHostWindow, testing::ValuesIn(badIdCases),
    [](const testing::TestParamInfo<BadIdCase>& info) { return std::string(info.param.name); });
