// What ends the running saver, driven with real input through the X server:
// a key press, the pointer moving 36 pixels or more from where it first
// moved, or a window manager's close request. Nothing else does.
#include "e2e_support.h"
#include "../support/wake_ups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <thread>

using namespace e2e;

namespace {
// How long a saver that should go on is watched.
constexpr auto stillRunningWait = 1500ms;
// A wake-up is handled within one main-loop pass (at most 0.3 s plus a frame).
constexpr auto promptExit = 3s;

struct StartedSaver {
    std::unique_ptr<ChildProcess> process;
    TopLevelWindow window;
};

// The pointer is put where the mouse origin is to be before the saver starts.
// When the window maps under it, SDL reports a motion to that spot (from the
// X server's enter notification); that is the first motion of the run, so it
// fixes the origin there, wherever the pointer was before. Waiting for the
// fed paper lets the first pass consume it before the tests move anything.
void startSaver(StartedSaver& saver, int originX, int originY, bool focusFollowsPointer = true)
{
    std::optional<PageGeometry> page = geometryFor(x11().screenWidth(), x11().screenHeight());
    if (!page)
        GTEST_SKIP() << "no worked-out page for this screen size";
    ASSERT_TRUE(movePointer(originX, originY));
    if (focusFollowsPointer)
        x11().focusFollowsPointer();
    clearTrace();
    saver.process = std::make_unique<ChildProcess>(commandLine(tracedSaverProgram(), {}));
    ASSERT_TRUE(saver.process->started());
    ASSERT_TRUE(waitForFedPaper(*page, 10s));
    ASSERT_TRUE(saver.process->running()) << "ended before any input";
    // Asked for only now: the renderer may have made the window anew.
    std::optional<TopLevelWindow> window = waitForWindow(saverWindowName, 1s);
    ASSERT_TRUE(window.has_value());
    saver.window = *window;
}

void expectEndedPromptly(ChildProcess& process, const std::string& what)
{
    std::optional<int> code = process.waitForExit(promptExit);
    ASSERT_TRUE(code.has_value()) << what << " did not end the run";
    EXPECT_EQ(*code, 0) << what;
    // The whole trace of a run that ended by a wake-up.
    EXPECT_EQ(traceLines(), traceOf("0", {"start init", "return from init"})) << what;
    EXPECT_FALSE(windowExists(saverWindowName)) << what;
}

void expectStillRunning(ChildProcess& process, const std::string& what)
{
    std::this_thread::sleep_for(stillRunningWait);
    EXPECT_TRUE(process.running()) << what << " ended the run";
}

int centreX()
{
    return x11().screenWidth() / 2;
}

int centreY()
{
    return x11().screenHeight() / 2;
}
}

TEST(Wake, KeyPressEndsTheRun)
{
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startSaver(saver, centreX(), centreY()));
    ASSERT_TRUE(xdotool({"key", "x"}));
    expectEndedPromptly(*saver.process, "a key press");
}

TEST(Wake, ButtonsWheelAndALoneKeyReleaseDoNotEndTheRun)
{
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startSaver(saver, centreX(), centreY()));

    // A release with no press the saver could see: the key goes down while
    // no window has the focus, then the focus follows the pointer again (a
    // pointer-driven focus change, which SDL does not answer by reporting
    // keys already down) and the key comes up over the saver's window.
    struct ReleaseAtEnd {
        ~ReleaseAtEnd() { xdotool({"keyup", "b"}); }
    } releaseAtEnd;
    // Once in a few dozen runs the release did not reach the window at all
    // (while the keys after it did); the whole sequence then gets another go.
    int releases = 0;
    for (int attempt = 0; attempt < 3 && releases == 0; ++attempt) {
        x11().focusNowhere();
        ASSERT_TRUE(xdotool({"keydown", "b"}));
        x11().focusFollowsPointer();
        x11().watchKeys(saver.window.id);
        ASSERT_TRUE(xdotool({"keyup", "b"}));
        expectStillRunning(*saver.process, "a key release alone");
        releases = x11().keyReleasesSinceWatch();
    }
    EXPECT_EQ(releases, 1) << "the release never reached the saver's window";

    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(xdotool({"click", "3"}));
    expectStillRunning(*saver.process, "mouse buttons");

    ASSERT_TRUE(xdotool({"click", "4"}));
    ASSERT_TRUE(xdotool({"click", "5"}));
    expectStillRunning(*saver.process, "the wheel");

    ASSERT_TRUE(xdotool({"key", "Return"}));
    expectEndedPromptly(*saver.process, "the key press after them");
}

TEST(Wake, QuitRequestEndsTheRun)
{
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startSaver(saver, centreX(), centreY()));
    ASSERT_TRUE(x11().requestClose(saver.window.id)) << "the window takes no WM_DELETE_WINDOW";
    expectEndedPromptly(*saver.process, "the close request");
}

TEST(Wake, AKeyBehindThreeHundredSmallMotionsEndsTheRunInOnePass)
{
    // A resting hand on a fast mouse: 2 px back and forth, each queued on its own.
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startSaver(saver, centreX(), centreY()));
    std::vector<std::string> input;
    for (int i = 0; i < 300; ++i)
        input.insert(input.end(), {"mousemove", std::to_string(centreX() + 2 * (i % 2 == 0)), std::to_string(centreY())});
    input.insert(input.end(), {"key", "x"});
    ASSERT_TRUE(xdotool(input));
    std::optional<int> code = saver.process->waitForExit(1500ms);
    ASSERT_TRUE(code.has_value()) << "a key behind 300 motions did not end the run within 1.5 s";
    EXPECT_EQ(*code, 0);
}

namespace {
// No window manager to give it back: a program's window had the focus, given
// while the saver ran, or before it started (by xdotool, as a program takes
// it), where the media library gives the keyboard to each window it shows.
struct FocusCase {
    const char* name;
    bool focusedBeforeTheStart;
};

const FocusCase focusCases[] = {
    {"FocusedWhileItRuns", false},
    {"XmessageFocusedBeforeItStarts", true},
};

class KeyboardGoesBack : public testing::TestWithParam<FocusCase> {};
}

TEST_P(KeyboardGoesBack, ToTheWindowThatHadIt)
{
    const bool before = GetParam().focusedBeforeTheStart;
    std::optional<OwnWindow> own;
    std::optional<ChildProcess> xmessage;
    unsigned long program = 0;
    if (before) {
        xmessage.emplace(std::vector<std::string>{"xmessage", "-geometry", "+100+100", "a program's window"});
        ASSERT_TRUE(waitUntil([&] { return windowExists("xmessage"); }, 10s)) << "xmessage did not show";
        program = waitForWindow("xmessage", 0ms)->id;
        ASSERT_TRUE(xdotool({"windowfocus", std::to_string(program)}));
        ASSERT_EQ(x11().focus(), program);
    } else {
        own.emplace(100, 100, 400, 300, 0x0000ff);
        program = own->id;
        ASSERT_NE(program, 0u);
    }
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startSaver(saver, centreX(), centreY(), !before));
    if (!before)
        x11().focusOn(program);
    ASSERT_TRUE(waitUntil([&] { return x11().focus() != program; }, 5s)) << "the saver left the keyboard";
    x11().watchKeys(program);
    ASSERT_TRUE(xdotool({"key", "x"}));
    expectEndedPromptly(*saver.process, "a key press");
    EXPECT_EQ(x11().focus(), program);
    EXPECT_EQ(x11().keyPressesSinceWatch(), 0) << "the waking key reached the program";
    ASSERT_TRUE(xdotool({"key", "y"}));
    EXPECT_TRUE(waitUntil([] { return x11().keyPressesSinceWatch() == 1; }, 2s))
        << "a key typed after the saver ended did not reach the program";
}

INSTANTIATE_TEST_SUITE_P(Wake, KeyboardGoesBack, testing::ValuesIn(focusCases),
    [](const testing::TestParamInfo<FocusCase>& info) { return std::string(info.param.name); });

namespace {
struct Move {
    int dx; // from the origin
    int dy;
    bool ends;
};

struct MotionCase {
    const char* name;
    std::vector<Move> moves;
};

const MotionCase motionCases[] = {
    {"WithinThirtyFiveEitherWay", {{35, 35, false}, {-35, -35, false}, {35, -35, false}}},
    {"ThirtySixRight", {{36, 0, true}}},
    {"ThirtySixLeft", {{-36, 0, true}}},
    {"ThirtySixUp", {{0, -36, true}}},
    {"ThirtySixDown", {{0, 36, true}}},
    {"ThirtySixAlongOneAxisOnly", {{36, 35, true}}},
    {"TwentyRightThenTwentyMore", {{20, 0, false}, {40, 0, true}}},
};

class MouseRule : public testing::TestWithParam<MotionCase> {};
}

TEST_P(MouseRule, MeasuresFromTheFirstMotion)
{
    // Away from the centre, where the pointer starts, so the origin is the
    // spot the saver's first motion reported and no other.
    const int originX = centreX() - 150;
    const int originY = centreY() - 100;
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startSaver(saver, originX, originY));
    expectStillRunning(*saver.process, "the first motion");
    for (const Move& m : GetParam().moves) {
        std::string what = "moving to " + std::to_string(m.dx) + "," + std::to_string(m.dy) + " from the origin";
        ASSERT_TRUE(movePointer(originX + m.dx, originY + m.dy));
        if (m.ends) {
            expectEndedPromptly(*saver.process, what);
            return;
        }
        expectStillRunning(*saver.process, what);
    }
    ASSERT_TRUE(xdotool({"key", "x"}));
    expectEndedPromptly(*saver.process, "the key press after the moves");
}

INSTANTIATE_TEST_SUITE_P(Moves, MouseRule, testing::ValuesIn(motionCases),
    [](const testing::TestParamInfo<MotionCase>& info) { return std::string(info.param.name); });

// The monitors powered down (the DPMS extension's answer through a stand-in):
// nothing is drawn or typed, and the saver costs next to nothing; powered up
// again without input, the typing goes on; a key ends the run, dark or lit.
namespace {
// The page's columns, every other row, as the X server holds them now.
std::vector<std::uint8_t> pagePixels(const PageGeometry& page)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < page.screenHeight; y += 2)
        for (const Rgb& p : x11().readRow(page.paperLeft, y, page.paperRight - page.paperLeft + 1))
            pixels.insert(pixels.end(), {p.r, p.g, p.b});
    return pixels;
}

int traceCount(const std::string& line)
{
    const std::vector<std::string> lines = traceLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

const std::string pausedLine = "outputs dark, paused";
const std::string typingOnLine = "outputs lit, typing on";

void startDpmsSaver(StartedSaver& saver, const std::string& level)
{
    setMonitorPower(level);
    ASSERT_TRUE(movePointer(centreX(), centreY()));
    x11().focusFollowsPointer();
    clearTrace();
    saver.process = std::make_unique<ChildProcess>(commandLine(dpmsSaverProgram(), {}));
    ASSERT_TRUE(saver.process->started());
}

// The CPU ticks the process takes over a stretch of time.
std::uint64_t ticksOver(pid_t pid, std::chrono::seconds span)
{
    const std::uint64_t start = cpuTicks(pid);
    std::this_thread::sleep_for(span);
    return cpuTicks(pid) - start;
}

// Started with the monitors on, once its sheet is fed.
void startLitDpmsSaver(StartedSaver& saver, std::optional<PageGeometry>& page)
{
    page = geometryFor(x11().screenWidth(), x11().screenHeight());
    ASSERT_TRUE(page.has_value());
    ASSERT_NO_FATAL_FAILURE(startDpmsSaver(saver, "on"));
    ASSERT_TRUE(waitForFedPaper(*page, 10s));
}

void expectEndedByKeyWithCode0(ChildProcess& process, const std::string& what)
{
    ASSERT_TRUE(xdotool({"key", "x"}));
    std::optional<int> code = process.waitForExit(promptExit);
    ASSERT_TRUE(code.has_value()) << "a key " << what << " did not end the run";
    EXPECT_EQ(*code, 0) << what;
}
}

TEST(WakeInTheDark, NothingIsDrawnWhileTheMonitorsAreOffAndTheTypingGoesOnWhenTheyLight)
{
    std::optional<PageGeometry> page;
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startLitDpmsSaver(saver, page));
    const pid_t pid = saver.process->pid();

    const std::uint64_t litTicks = 2 * ticksOver(pid, 5s); // over 10 s
    EXPECT_EQ(traceCount(pausedLine), 0) << "paused while the monitors were on";

    setMonitorPower("off");
    std::this_thread::sleep_for(2s);
    const std::vector<std::uint8_t> darkStart = pagePixels(*page);
    const long wakeUpsBefore = wakeUpsOf(pid);
    const std::uint64_t darkTicks = ticksOver(pid, 10s);
    const long darkWakeUps = wakeUpsOf(pid) - wakeUpsBefore;
    const std::vector<std::uint8_t> darkEnd = pagePixels(*page);
    EXPECT_TRUE(darkStart == darkEnd) << "a frame was drawn while the monitors were off";
    EXPECT_LE(darkTicks * 10, litTicks) << "CPU ticks over 10 s: " << darkTicks << " dark, " << litTicks << " lit";
    // Its look at the power once a second, one more where the stretch cuts a wait.
    EXPECT_LE(darkWakeUps, 10 + 1) << "thread switches over 10 s of dark";
    std::printf("over 10 s: CPU ticks %llu lit, %llu dark; thread switches dark %ld\n",
        static_cast<unsigned long long>(litTicks), static_cast<unsigned long long>(darkTicks), darkWakeUps);
    EXPECT_EQ(traceCount(pausedLine), 1);

    setMonitorPower("on");
    const auto lit = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitUntil([&] { return pagePixels(*page) != darkEnd; }, 2s)) << "no typing within 2 s of the light";
    std::printf("typed on %lld ms after the monitors lit\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - lit).count()));
    EXPECT_EQ(traceCount(typingOnLine), 1);
    expectEndedByKeyWithCode0(*saver.process, "after the light");
}

// xset -dpms leaves the server's level as it stood, off included: the
// monitors are not taken for dark, and the typing goes on.
TEST(WakeInTheDark, LevelOffWithPowerSavingSwitchedOffIsNotDark)
{
    std::optional<PageGeometry> page;
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startLitDpmsSaver(saver, page));
    setMonitorPower("off disabled");
    std::this_thread::sleep_for(2s); // past a look
    const std::vector<std::uint8_t> before = pagePixels(*page);
    EXPECT_TRUE(waitUntil([&] { return pagePixels(*page) != before; }, 2s)) << "no frame with power saving off";
    EXPECT_EQ(traceCount(pausedLine), 0);
    expectEndedByKeyWithCode0(*saver.process, "with power saving off");
}

namespace {
struct DarkKeyCase {
    const char* name;
    bool darkFromTheStart;
};

class WakeInTheDarkKey : public testing::TestWithParam<DarkKeyCase> {};
}

TEST_P(WakeInTheDarkKey, EndsTheRunWithCode0)
{
    const std::optional<PageGeometry> page = geometryFor(x11().screenWidth(), x11().screenHeight());
    ASSERT_TRUE(page.has_value());
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startDpmsSaver(saver, GetParam().darkFromTheStart ? "off" : "on"));
    if (GetParam().darkFromTheStart) {
        ASSERT_TRUE(waitForWindow(saverWindowName, 10s).has_value());
        ASSERT_TRUE(waitUntil([] { return traceCount(pausedLine) == 1; }, 5s));
        std::this_thread::sleep_for(1s);
        // No sheet was fed: no paper where the fed sheet would stand.
        const std::vector<Rgb> row = x11().readRow(page->paperLeft, page->paperTop + 2, 1);
        ASSERT_EQ(row.size(), 1u);
        EXPECT_FALSE(isPaper(row[0].r, row[0].g, row[0].b)) << "the sheet was fed in the dark";
    } else {
        ASSERT_TRUE(waitForFedPaper(*page, 10s));
        setMonitorPower("off");
        ASSERT_TRUE(waitUntil([] { return traceCount(pausedLine) == 1; }, 3s));
    }
    expectEndedByKeyWithCode0(*saver.process, "in the dark");
    EXPECT_EQ(traceCount(typingOnLine), 0);
}

INSTANTIATE_TEST_SUITE_P(Dark, WakeInTheDarkKey,
    testing::Values(DarkKeyCase{"FromTheStart", true}, DarkKeyCase{"AfterTheFeed", false}),
    [](const testing::TestParamInfo<DarkKeyCase>& info) { return std::string(info.param.name); });

TEST(WakeInTheDark, PowerFlappingFiftyTimesASecondNeitherRunsAwayNorLosesAKey)
{
    std::optional<PageGeometry> page;
    StartedSaver saver;
    ASSERT_NO_FATAL_FAILURE(startLitDpmsSaver(saver, page));
    const pid_t pid = saver.process->pid();
    const std::uint64_t litTicks = ticksOver(pid, 3s);

    // 50 times off and on a second, until the run has ended.
    std::atomic<bool> flapping{true};
    std::thread flapper([&flapping] {
        for (int i = 0; flapping; ++i) {
            setMonitorPower(i % 2 ? "on" : "off");
            std::this_thread::sleep_for(10ms);
        }
    });
    const std::uint64_t flapTicks = ticksOver(pid, 3s);
    expectEndedByKeyWithCode0(*saver.process, "while the power flaps");
    flapping = false;
    flapper.join();
    std::printf("CPU ticks over 3 s: %llu lit, %llu flapping\n", static_cast<unsigned long long>(litTicks),
        static_cast<unsigned long long>(flapTicks));
    // Looked at once a second: at most one change a second, whatever the monitors do.
    EXPECT_LE(traceCount(pausedLine) + traceCount(typingOnLine), 5);
    EXPECT_LE(flapTicks, 2 * litTicks + 5) << "the flapping cost more than typing";
}
