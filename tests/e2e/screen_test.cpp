// What the screen shows: a black desktop-sized window, the sheet fed in nine
// line pitches from the bottom, and the first line typed onto it in black.
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace e2e;

TEST(Screen, FedPaperAndTypedLineStandWhereThePageLayoutPutsThem)
{
    std::optional<PageGeometry> page = geometryFor(x11().screenWidth(), x11().screenHeight());
    if (!page)
        GTEST_SKIP() << "no worked-out page for this screen size";
    const PageGeometry& p = *page;

    ChildProcess saver(commandLine(saverProgram(), {}));
    ASSERT_TRUE(saver.started());
    std::optional<TopLevelWindow> window = waitForWindow(saverWindowName, 10s);
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(window->x, 0);
    EXPECT_EQ(window->y, 0);
    EXPECT_EQ(window->width, p.screenWidth);
    EXPECT_EQ(window->height, p.screenHeight);
    ASSERT_TRUE(waitForFedPaper(p, 10s)) << "the paper never reached its fed height";

    const std::string size = std::to_string(p.screenWidth) + "x" + std::to_string(p.screenHeight);
    TempFolder shots("e2e-shots");
    {
        Screenshot fed(shots.path() / "fed.png");
        ASSERT_TRUE(fed.ok());
        ASSERT_EQ(fed.width(), p.screenWidth);
        ASSERT_EQ(fed.height(), p.screenHeight);
        // At most a few characters so far; they may only be on the typing line.
        expectFedPage(fed, p, p.typingLineTop, p.typingLineTop + p.lineBand);
    }

    // A few seconds of typing: the first sentence is long, so it is still the
    // only line and the paper has not moved.
    std::this_thread::sleep_for(2500ms);
    Screenshot typed(buildFolder() / ("e2e-screen-" + size + ".png"));
    ASSERT_TRUE(typed.ok());
    expectFedPage(typed, p, p.typingLineTop, p.typingLineTop + p.lineBand);
    int ink = 0;
    int leftmostInk = p.screenWidth;
    int topmostInk = p.screenHeight;
    for (int y = p.typingLineTop; y <= p.typingLineTop + p.lineBand; ++y)
        for (int x = p.paperLeft; x <= p.paperRight; ++x) {
            Uint8 r, g, b;
            typed.pixel(x, y, r, g, b);
            if (isInk(r, g, b)) {
                ++ink;
                leftmostInk = std::min(leftmostInk, x);
                topmostInk = std::min(topmostInk, y);
            }
        }
    EXPECT_GE(ink, 30) << "no typed text on the typing line";
    // The line opens with "G" (the first line drops no characters), whose ink
    // starts a pixel right of the margin and a few pixels below the line top.
    EXPECT_GE(leftmostInk, p.textLeft);
    EXPECT_LE(leftmostInk, p.textLeft + 2);
    EXPECT_GE(topmostInk, p.typingLineTop + 2);
    EXPECT_LE(topmostInk, p.typingLineTop + 7);

    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_EQ(saver.waitForExit(5s), 0);
}
