// The Windows saver built against a loopback service, under Wine: both
// requests in order, the served sentence typed, and the newer-version box
// while the saver's window is still up.
#include "wine_prefix.h"
#include "../support/service_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace e2e;
using namespace wine;

namespace {
// The saver built against the loopback service, run on this screen's page
// with the pointer resting in its middle, up to its first fed sheet.
void startUntilFed(std::optional<PageGeometry>& page, std::optional<ChildProcess>& saver)
{
    page = geometryFor(x11().screenWidth(), x11().screenHeight());
    ASSERT_TRUE(page.has_value()) << "no worked-out page for this screen size";
    ASSERT_TRUE(movePointer(page->screenWidth / 2, page->screenHeight / 2));
    x11().focusFollowsPointer();
    saver.emplace(wineCommand({TAPWRITE_WINE_LOOPBACK_SAVER, "/s"}));
    ASSERT_TRUE(waitForWindow(saverWindowName, 20s).has_value()) << saver->standardError();
    ASSERT_TRUE(waitForFedPaper(*page, 10s));
}
}

TEST(WineService, TypesTheServedFeedAndAnnouncesANewerVersionAtExit)
{
    const std::string sentence = "THE CAT SAT ON THE MAT, 1234 TIMES OVER.";
    const std::string noticeCaption = "New Version!";
    ServiceFixture service(TAPWRITE_WINE_SERVICE_PORT);
    ASSERT_TRUE(service.ready()) << "the loopback service did not start";
    service.serve("sstext", sentence + "\r\nSECOND LINE.\r\n");
    service.serve("sys", "VERSION5.1\r\nmessageNum:1\r\nmessage:Thanks for typing.");

    std::optional<PageGeometry> page;
    std::optional<ChildProcess> saver;
    ASSERT_NO_FATAL_FAILURE(startUntilFed(page, saver));

    std::size_t typed = 0;
    const std::filesystem::path shot = buildFolder() / "wine-typed-feed.png";
    for (auto deadline = std::chrono::steady_clock::now() + 20s; typed < 8 && std::chrono::steady_clock::now() < deadline;) {
        Screenshot screen(shot);
        ASSERT_TRUE(screen.ok());
        typed = typedPrefixLength(screen, *page, sentence);
    }
    EXPECT_GE(typed, 8u) << "the typing line does not read as the served sentence; see " << shot;

    ASSERT_TRUE(xdotool({"key", "x"}));
    std::optional<TopLevelWindow> box = waitForWindow(noticeCaption, 10s);
    ASSERT_TRUE(box.has_value()) << "no \"New Version!\" box";
    EXPECT_TRUE(windowExists(saverWindowName)) << "the saver's window closed before the notice";
    std::vector<std::string> texts = boxTexts(noticeCaption);
    const std::string notice = "Please download the latest version of Tapwrite Screen Saver to get awesome new "
                               "features. Go to " TAPWRITE_WINE_SITE_HOST " now!";
    EXPECT_NE(std::find(texts.begin(), texts.end(), notice), texts.end()) << testing::PrintToString(texts);
    ASSERT_TRUE(closeBoxWithReturn(*box));
    EXPECT_EQ(saver->waitForExit(10s), 0);
    EXPECT_EQ(service.requests(), (std::vector<std::string>{"GET /sstext", "GET /sys"}));
}

// Every line ends at once, so a page turns within seconds: through the turn
// the page window still answers another program's messages and is never
// taken for hung, and a key pressed during it ends the run after it.
TEST(WineService, ThePageAnswersMessagesThroughAPageTurnAndAKeyWaitsForItsEnd)
{
    ServiceFixture service(TAPWRITE_WINE_SERVICE_PORT);
    ASSERT_TRUE(service.ready()) << "the loopback service did not start";
    std::string feed = "a\r\n";
    for (int line = 0; line < 200; ++line)
        feed += "\r\n";
    service.serve("sstext", feed);
    std::optional<PageGeometry> page;
    std::optional<ChildProcess> saver;
    ASSERT_NO_FATAL_FAILURE(startUntilFed(page, saver));
    ChildProcess probe(wineCommand({TAPWRITE_WINE_HANG_PROBE, saverWindowName, "90"}));

    const int column = (page->paperLeft + page->paperRight) / 2;
    auto pixelIs = [&](int y, PixelTest test) {
        std::vector<Rgb> pixel = x11().readRow(column, y, 1);
        return pixel.size() == 1 && test(pixel[0].r, pixel[0].g, pixel[0].b);
    };
    // While a page is typed the paper covers the bottom row; it leaves it
    // early in the eject, and the turn is over when the next sheet stands fed.
    ASSERT_TRUE(waitUntil([&] { return pixelIs(page->screenHeight - 1, isBlack); }, 60s)) << "no page turn";
    const auto turnSeen = std::chrono::system_clock::now();
    ASSERT_TRUE(xdotool({"key", "x"}));
    const bool fed = waitUntil([&] { return pixelIs(page->paperTop - 1, isBlack) && pixelIs(page->paperTop, isPaper); }, 20s);
    const auto fedSeen = std::chrono::system_clock::now();
    EXPECT_TRUE(fed) << "the run ended before the next sheet was fed";
    EXPECT_EQ(saver->waitForExit(10s), 0);

    // The probes sent until the turn was over; the teardown after it is not
    // what this measures.
    ASSERT_EQ(probe.waitForExit(30s), 0) << probe.standardError();
    auto unixMs = [](std::chrono::system_clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
    };
    std::istringstream lines(probe.standardOutput());
    int duringTurn = 0;
    for (long long sent; lines >> sent;) {
        std::string answer, state;
        lines >> answer >> state;
        if (sent > unixMs(fedSeen))
            break;
        EXPECT_EQ(answer + " " + state, "answered responding") << sent - unixMs(turnSeen) << " ms into the turn";
        duringTurn += sent >= unixMs(turnSeen);
    }
    // A turn lasts 5 s or more: ten probes and more.
    EXPECT_GE(duringTurn, 10) << probe.standardOutput();
}
