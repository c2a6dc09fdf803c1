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

    // While a page is typed the paper covers the bottom row; it leaves it
    // early in the eject, and comes back with the next sheet's feed.
    const int column = (page->paperLeft + page->paperRight) / 2;
    auto bottomIsBlack = [&] {
        std::vector<Rgb> row = x11().readRow(column, page->screenHeight - 1, 1);
        return row.size() == 1 && isBlack(row[0].r, row[0].g, row[0].b);
    };
    ASSERT_TRUE(waitUntil(bottomIsBlack, 60s)) << "no page turn";
    ASSERT_TRUE(xdotool({"key", "x"}));
    EXPECT_TRUE(waitForFedPaper(*page, 20s)) << "the run ended before the next sheet was fed";
    EXPECT_EQ(saver->waitForExit(10s), 0);

    ASSERT_EQ(probe.waitForExit(30s), 0) << probe.standardError();
    std::istringstream lines(probe.standardOutput());
    int probes = 0;
    for (std::string at, answer, state; lines >> at >> answer >> state; ++probes) {
        EXPECT_EQ(answer, "answered") << "probe at " << at << " ms";
        EXPECT_EQ(state, "responding") << "probe at " << at << " ms";
    }
    // From before the turn to the window's end, a turn being 5 s or more.
    EXPECT_GE(probes, 10);
}
