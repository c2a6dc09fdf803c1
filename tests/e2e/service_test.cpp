// The real program against a loopback service: the requests of every mode,
// the newer-version box at exit, and what gets typed.
#include "e2e_support.h"
#include "../support/service_fixture.h"
#include "../support/wake_ups.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <thread>

using namespace e2e;

namespace {
const std::string servedSentence = "THE CAT SAT ON THE MAT, 1234 TIMES OVER.";
const std::string builtinSentence = "Hello again. The machine is warm and the ribbon is new.";
const std::string loopbackFeedUrl = "http://127.0.0.1:" + std::to_string(TAPWRITE_E2E_SERVICE_PORT) + "/sstext";
const std::string noticeCaption = "New Version!";

std::unique_ptr<ServiceFixture> startLoopbackService(const std::string& version)
{
    auto service = std::make_unique<ServiceFixture>(TAPWRITE_E2E_SERVICE_PORT);
    EXPECT_TRUE(service->ready()) << "the loopback service did not start";
    service->serve("sstext", servedSentence + "\r\nSECOND LINE.\r\n");
    service->serve("sys", "VERSION" + version + "\r\nmessageNum:1\r\nmessage:Thanks for typing.");
    return service;
}

PageGeometry currentPage()
{
    return geometryFor(x11().screenWidth(), x11().screenHeight()).value_or(PageGeometry{});
}

// Starts the loopback saver with /s, the pointer resting at the centre, and
// waits for the fed sheet.
std::unique_ptr<ChildProcess> startRunning()
{
    clearTrace();
    movePointer(x11().screenWidth() / 2, x11().screenHeight() / 2);
    x11().focusFollowsPointer();
    auto saver = std::make_unique<ChildProcess>(commandLine(TAPWRITE_E2E_LOOPBACK_SAVER, {"/s"}));
    if (!waitForWindow(saverWindowName, 20s) || !waitForFedPaper(currentPage(), 10s))
        return nullptr;
    return saver;
}

bool traceBeginsWith(const std::vector<std::string>& expected)
{
    std::vector<std::string> lines = traceLines();
    return lines.size() >= expected.size() && std::equal(expected.begin(), expected.end(), lines.begin());
}

struct ModeCase {
    const char* name;
    std::vector<std::string> switches;
    const char* mode;
    const char* boxCaption; // the box that must be closed, if any
};

void PrintTo(const ModeCase& c, std::ostream* out)
{
    *out << c.name;
}

const ModeCase modeCases[] = {
    {"Run", {"/s"}, "4", nullptr},
    {"Preview", {"/p", "123"}, "3", nullptr},
    {"Settings", {"/c"}, "1", "Information"},
    {"Password", {"/a", "5"}, "2", "Information"},
};

class ServiceModes : public testing::TestWithParam<ModeCase> {};
}

TEST_P(ServiceModes, EveryModeAsksForFeedThenBulletinOnce)
{
    const ModeCase& c = GetParam();
    auto service = startLoopbackService("5.0");
    clearTrace();
    ChildProcess saver(commandLine(TAPWRITE_E2E_LOOPBACK_SAVER, c.switches));
    ASSERT_TRUE(saver.started());
    if (c.boxCaption) {
        std::optional<TopLevelWindow> box = waitForWindow(c.boxCaption, 20s);
        ASSERT_TRUE(box.has_value());
        ASSERT_TRUE(closeBoxWithReturn(*box));
    } else if (c.switches[0] == "/s") {
        ASSERT_TRUE(waitForWindow(saverWindowName, 20s).has_value());
        ASSERT_TRUE(waitForFedPaper(currentPage(), 10s));
        x11().focusFollowsPointer();
        ASSERT_TRUE(xdotool({"key", "x"}));
    }
    std::optional<int> code = saver.waitForExit(20s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(service->requests(), (std::vector<std::string>{"GET /sstext", "GET /sys"}));
    std::vector<std::string> expected = traceHeader(c.mode);
    expected.back() = loopbackFeedUrl;
    EXPECT_TRUE(traceBeginsWith(expected)) << traceText();
    EXPECT_NE(traceText().find("getssText_cb"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Switches, ServiceModes, testing::ValuesIn(modeCases),
    [](const testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

namespace {
// How the box is closed after a user ended the run. (A run the session asks
// to terminate shows none: the Termination table.)
struct NoticeCase {
    const char* name;
    // Another program's window had the keyboard when the saver started, and
    // Return is typed wherever the pointer stands: the box must have it.
    bool typedBlind = false;
    // The box's own process is ended (SIGTERM) instead of answered: the box
    // counts as closed, and no other comes in its place.
    bool boxProcessEnded = false;
    // The saver's wake-ups are counted over 5 s while the box is up.
    bool wakeUpsCounted = false;
};

const NoticeCase noticeCases[] = {
    {"KeyThenReturn", false, false, true},
    {"KeyThenReturnTypedBlind", true},
    {"KeyThenTheBoxProcessEnded", false, true},
};

// The processes the saver started (SDL's box among them).
std::vector<pid_t> childrenOf(pid_t process)
{
    std::ifstream list("/proc/" + std::to_string(process) + "/task/" + std::to_string(process) + "/children");
    std::vector<pid_t> children;
    for (pid_t child = 0; list >> child;)
        children.push_back(child);
    return children;
}

class NewerVersion : public testing::TestWithParam<NoticeCase> {};
}

TEST_P(NewerVersion, AnnouncedWhileTheSaverIsStillUpUntilTheBoxIsClosed)
{
    const NoticeCase& c = GetParam();
    const bool typedBlind = c.typedBlind;
    auto service = startLoopbackService("5.1");
    OwnWindow program(40, 40, 200, 100, 0x0000ff);
    ASSERT_NE(program.id, 0u);
    std::unique_ptr<ChildProcess> saver = startRunning();
    ASSERT_TRUE(saver) << "the saver never showed its fed sheet";
    if (typedBlind) {
        x11().focusOn(program.id);
        ASSERT_TRUE(waitUntil([&] { return x11().focus() != program.id; }, 5s)) << "the saver left the keyboard";
    }
    ASSERT_TRUE(xdotool({"key", "x"}));

    std::optional<TopLevelWindow> box = waitForWindow(noticeCaption, 10s);
    ASSERT_TRUE(box.has_value()) << "no \"New Version!\" box";
    EXPECT_TRUE(windowExists(saverWindowName)) << "the saver's window closed before the notice";
    EXPECT_TRUE(saver->running());
    if (c.wakeUpsCounted) {
        // Counted once the box has the keyboard and the saver has stopped
        // answering its coming: 300 ms without a wake-up.
        ASSERT_TRUE(waitUntil([&] { return x11().focus() == box->id; }, 5s)) << "the box never got the keyboard";
        long last = wakeUpsOf(saver->pid());
        auto lastChange = std::chrono::steady_clock::now();
        ASSERT_TRUE(waitUntil(
            [&] {
                const long now = wakeUpsOf(saver->pid());
                if (now != last)
                    lastChange = std::chrono::steady_clock::now();
                last = now;
                return std::chrono::steady_clock::now() - lastChange >= 300ms;
            },
            10s))
            << "the saver never settled with the box up";
        const long before = wakeUpsOf(saver->pid());
        std::this_thread::sleep_for(5s); // the stretch measured
        const long wakeUps = wakeUpsOf(saver->pid()) - before;
        RecordProperty("wake_ups_in_5_s", static_cast<int>(wakeUps));
        EXPECT_LE(wakeUps, 15) << "the saver woke " << wakeUps << " times in 5 s with the box up";
    }
    if (typedBlind) {
        EXPECT_TRUE(waitUntil([&] { return boxShows(*box) && x11().focus() == box->id; }, 3s))
            << "the box does not show, or has not the keyboard";
        ASSERT_TRUE(xdotool({"key", "Return"}));
    } else if (c.boxProcessEnded) {
        const std::vector<pid_t> boxes = childrenOf(saver->pid());
        ASSERT_EQ(boxes.size(), 1u) << "not one box process";
        kill(boxes[0], SIGTERM);
    } else
        ASSERT_TRUE(closeBoxWithReturn(*box));
    std::optional<int> code = saver->waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "the notice did not close";
    EXPECT_EQ(*code, 0);
    EXPECT_TRUE(waitUntil([] { return !windowExists(noticeCaption); }, 1s)) << "the box stayed up";
    EXPECT_FALSE(windowExists(saverWindowName));
    if (typedBlind) {
        EXPECT_EQ(x11().focus(), program.id) << "the keyboard did not go back to the program that had it";
    }
    if (c.boxProcessEnded) {
        EXPECT_EQ(saver->standardError(), "") << "the notice went to standard error as well";
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, NewerVersion, testing::ValuesIn(noticeCases),
    [](const testing::TestParamInfo<NoticeCase>& info) { return std::string(info.param.name); });

namespace {
struct StartUpCase {
    const char* name;
    // Sent once the feed is asked for and stalls; else 1 ms after the spawn.
    bool duringStalledRequest;
    // The caller starts the saver with SIGTERM blocked, as an idle companion
    // does, so that a request before the handler is in waits for it.
    bool blockedAtSpawn;
    // Sent once the fed sheet shows, a newer version announced: as a lock, a
    // sleep or a logout ends it, with no "New Version!" box.
    bool whileRunning = false;
};

const StartUpCase startUpCases[] = {
    {"DuringAStalledRequest", true, false},
    {"OneMillisecondAfterTheSpawnWithTheSignalBlocked", false, true},
    {"OneMillisecondAfterAnOrdinarySpawn", false, false},
    {"WhileRunningWithANewerVersionAnnounced", false, false, true},
};

class StartUp : public testing::TestWithParam<StartUpCase> {};
}

TEST_P(StartUp, SigtermEndsTheProgramWithZero)
{
    const StartUpCase& c = GetParam();
    auto service = startLoopbackService(c.whileRunning ? "5.1" : "5.0");
    if (!c.whileRunning)
        service->serve("sstext", "", "stall");
    LaunchOptions options;
    if (c.blockedAtSpawn)
        options.blockedSignals = {SIGTERM};
    std::unique_ptr<ChildProcess> saver = c.whileRunning
        ? startRunning()
        : std::make_unique<ChildProcess>(commandLine(TAPWRITE_E2E_LOOPBACK_SAVER, {"/s"}), options);
    ASSERT_TRUE(saver) << "the saver never showed its fed sheet";
    if (c.duringStalledRequest)
        ASSERT_TRUE(waitUntil([&] { return !service->requests().empty(); }, 10s)) << "the feed was never asked for";
    else if (!c.whileRunning)
        std::this_thread::sleep_for(1ms); // the moment under test, not a wait for a condition
    saver->signal(SIGTERM);
    // Within the limit, no box seen meanwhile.
    bool boxSeen = false;
    std::optional<int> code;
    const auto limit = c.duringStalledRequest || c.whileRunning ? 1s : 5s;
    for (auto deadline = std::chrono::steady_clock::now() + limit; !code && std::chrono::steady_clock::now() < deadline;) {
        boxSeen = boxSeen || windowExists(noticeCaption);
        code = saver->waitForExit(20ms);
    }
    EXPECT_EQ(code, std::optional<int>(0)) << "ended by signal " << saver->terminatingSignal().value_or(0);
    EXPECT_FALSE(boxSeen) << "a \"New Version!\" box came up";
    EXPECT_FALSE(windowExists(saverWindowName));
}

INSTANTIATE_TEST_SUITE_P(Termination, StartUp, testing::ValuesIn(startUpCases),
    [](const testing::TestParamInfo<StartUpCase>& info) { return std::string(info.param.name); });

TEST(VersionNotice, TheXServerGoingWhileTheBoxIsUpEndsTheRunWithOneAndALine)
{
    auto service = startLoopbackService("5.1");
    // A server of its own, which the other rows go on using after this one.
    ChildProcess server({"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"});
    std::string number;
    ASSERT_TRUE(waitUntil([&] { return (number = server.standardOutput()).find('\n') != std::string::npos; }, 20s));
    const std::string display = ":" + number.substr(0, number.find('\n'));
    const auto onServer = [&](std::vector<std::string> command) {
        command.insert(command.begin(), {"env", "DISPLAY=" + display});
        return runCommand(command) == 0;
    };
    LaunchOptions options;
    options.environment["DISPLAY"] = display;
    options.environment["WAYLAND_DISPLAY"] = std::nullopt;
    ChildProcess saver(commandLine(TAPWRITE_E2E_LOOPBACK_SAVER, {"/s"}), options);
    // A key before the first pass is drained unread: keys until the box shows.
    ASSERT_TRUE(waitUntil([&] { return onServer({"xdotool", "key", "x"}) && onServer({"xwininfo", "-name", noticeCaption}); },
        30s))
        << "no \"New Version!\" box: " << saver.standardError();
    server.signal(SIGTERM);
    std::optional<int> code = saver.waitForExit(5s);
    ASSERT_TRUE(code.has_value()) << "still running, or ended by signal " << saver.terminatingSignal().value_or(0)
                                  << ": " << saver.standardError();
    EXPECT_EQ(*code, 1);
    EXPECT_NE(saver.standardError(), "") << "no line said why";
    EXPECT_EQ(saver.standardError().find("terminate called"), std::string::npos) << saver.standardError();
    EXPECT_TRUE(server.waitForExit(5s).has_value());
}

TEST(VersionNotice, TheSameVersionEndsWithoutABox)
{
    auto service = startLoopbackService("5.0");
    std::unique_ptr<ChildProcess> saver = startRunning();
    ASSERT_TRUE(saver);
    ASSERT_TRUE(xdotool({"key", "x"}));
    bool boxSeen = false;
    std::optional<int> code;
    for (auto deadline = std::chrono::steady_clock::now() + 10s; !code && std::chrono::steady_clock::now() < deadline;) {
        boxSeen = boxSeen || windowExists(noticeCaption);
        code = saver->waitForExit(50ms);
    }
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_FALSE(boxSeen);
}

namespace {
struct TypedCase {
    const char* name;
    bool serviceUp;
    const std::string* firstSentence;
};

void PrintTo(const TypedCase& c, std::ostream* out)
{
    *out << c.name;
}

const TypedCase typedCases[] = {
    {"ServedFeed", true, &servedSentence},
    {"ServiceDownBuiltInText", false, &builtinSentence},
};

class TypedText : public testing::TestWithParam<TypedCase> {};
}

TEST_P(TypedText, TheFirstLineShowsTheFirstSentence)
{
    const TypedCase& c = GetParam();
    PageGeometry page = currentPage();
    if (page.screenWidth == 0)
        GTEST_SKIP() << "no worked-out page for this screen size";
    std::unique_ptr<ServiceFixture> service = c.serviceUp ? startLoopbackService("5.0") : nullptr;
    std::unique_ptr<ChildProcess> saver = startRunning();
    ASSERT_TRUE(saver);

    // Read the line until a good part of the sentence has been typed.
    std::size_t typed = 0;
    const std::filesystem::path shot = buildFolder() / (std::string("typed-") + c.name + ".png");
    for (auto deadline = std::chrono::steady_clock::now() + 20s; typed < 8 && std::chrono::steady_clock::now() < deadline;) {
        Screenshot screen(shot);
        ASSERT_TRUE(screen.ok());
        typed = typedPrefixLength(screen, page, *c.firstSentence);
        // The other text must not read as this line.
        const std::string& other = c.firstSentence == &servedSentence ? builtinSentence : servedSentence;
        EXPECT_LE(typedPrefixLength(screen, page, other), 1u);
    }
    EXPECT_GE(typed, 8u) << "the typing line does not read as \"" << *c.firstSentence << "\"; see " << shot;
    ASSERT_TRUE(xdotool({"key", "x"}));
    EXPECT_EQ(saver->waitForExit(10s), std::optional<int>(0));
}

INSTANTIATE_TEST_SUITE_P(Service, TypedText, testing::ValuesIn(typedCases),
    [](const testing::TestParamInfo<TypedCase>& info) { return std::string(info.param.name); });

TEST(VersionNotice, NeverShownOverAHostsWindow)
{
    auto service = startLoopbackService("5.1");
    unsigned long pane = x11().createWindow(300, 200, 400, 300, 0x2040c0);
    ASSERT_NE(pane, 0u);
    LaunchOptions options;
    options.environment["XSCREENSAVER_WINDOW"] = std::to_string(pane);
    ChildProcess saver(commandLine(TAPWRITE_E2E_LOOPBACK_SAVER, {"--root"}), options);
    ASSERT_TRUE(waitForFedPaper(placedAt(*geometryFor(400, 300), 300, 200), 20s));
    saver.signal(SIGTERM);
    std::optional<int> code = saver.waitForExit(3s);
    EXPECT_FALSE(windowExists(noticeCaption)) << "the notice came up over the host's window";
    EXPECT_EQ(code, 0) << "the run did not end on SIGTERM";
    EXPECT_EQ(service->requests(), (std::vector<std::string>{"GET /sstext", "GET /sys"}));
    x11().destroyWindow(pane);
}
