#include "display/page_layout.h"

#include <gtest/gtest.h>

namespace {
struct LayoutCase {
    int width, height;
    double paperWidth, paperHeight, paperX, lineHeight, textX, fontSize;
    int rectX, rectW, rectH, pointSize;
    int freshPaperTop, freshFirstLine;
};

class PageLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PageLayoutTest, GeometryFollowsTheDesktopWidth)
{
    const LayoutCase& c = GetParam();
    PageLayout l = computePageLayout(c.width, c.height);
    EXPECT_EQ(l.screenWidth, c.width);
    EXPECT_EQ(l.screenHeight, c.height);
    EXPECT_NEAR(l.paperWidth, c.paperWidth, 1e-9);
    EXPECT_NEAR(l.paperHeight, c.paperHeight, 1e-4);
    EXPECT_NEAR(l.paperX, c.paperX, 1e-9);
    EXPECT_DOUBLE_EQ(l.paperBaseY, c.height);
    EXPECT_NEAR(l.lineHeight, c.lineHeight, 1e-4);
    EXPECT_NEAR(l.textX, c.textX, 1e-4);
    EXPECT_NEAR(l.fontSize, c.fontSize, 1e-4);
    EXPECT_EQ(l.paperRect.x, c.rectX);
    EXPECT_EQ(l.paperRect.y, 0);
    EXPECT_EQ(l.paperRect.w, c.rectW);
    EXPECT_EQ(l.paperRect.h, c.rectH);
    EXPECT_EQ(fontPointSize(l), c.pointSize);
    // A fresh page: paper wound in nine line pitches.
    int top = paperTopFor(l, 9);
    EXPECT_EQ(top, c.freshPaperTop);
    EXPECT_EQ(firstLineTop(l, top), c.freshFirstLine);
}

INSTANTIATE_TEST_SUITE_P(Desktops, PageLayoutTest,
    ::testing::Values(
        LayoutCase{1920, 1080, 1152, 1490.8235, 384, 25.4682, 522.24, 22.9214, 384, 1152, 1490, 22, 850, 977},
        LayoutCase{1366, 768, 819.6, 1060.6588, 273.2, 18.1195, 371.552, 16.3076, 273, 819, 1060, 16, 604, 694},
        LayoutCase{1280, 1024, 768, 993.8824, 256, 16.9788, 348.16, 15.2809, 256, 768, 993, 15, 871, 955},
        LayoutCase{3840, 2160, 2304, 2981.6471, 768, 50.9365, 1044.48, 45.8428, 768, 2304, 2981, 45, 1701,
            1955},
        // A preview pane too small for a readable size still gets one the font opens with.
        LayoutCase{60, 40, 36, 46.5882, 12, 0.7959, 16.32, 0.7163, 12, 36, 46, 1, 32, 35}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) {
        return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
    });

TEST(PagePlacement, FeedFramesAt1920x1080)
{
    PageLayout l = computePageLayout(1920, 1080);
    const int expected[10] = {1080, 1054, 1029, 1003, 978, 952, 927, 901, 876, 850};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(paperTopFor(l, k), expected[k]) << "frame " << k;
}

TEST(PagePlacement, LinesStepByTheWholePitchAndOneMoreAboveTheScreen)
{
    PageLayout l = computePageLayout(1920, 1080);
    // On screen: 25 pixels apart (25.47 truncated).
    EXPECT_EQ(nextLineTop(l, 977), 1002);
    EXPECT_EQ(nextLineTop(l, 0), 25);
    // Far above the top edge the negative sum truncates toward zero: 26 apart.
    EXPECT_EQ(nextLineTop(l, -100), -74);
    EXPECT_EQ(nextLineTop(l, -26), 0);
    // The paper above the screen truncates toward zero as well.
    EXPECT_EQ(paperTopFor(l, 100), static_cast<int>(1080 - 100 * l.lineHeight));
    EXPECT_EQ(paperTopFor(l, 100), -1466);
}

TEST(PagePlacement, TypingLineStaysPutWhileThePageFills)
{
    PageLayout l = computePageLayout(1920, 1080);
    // With n lines the paper has scrolled 9 + n - 1 pitches; the last line's top
    // stays between 960 and 977 for the whole page.
    for (int n = 1; n <= 49; ++n) {
        int y = firstLineTop(l, paperTopFor(l, 9 + n - 1));
        for (int i = 1; i < n; ++i)
            y = nextLineTop(l, y);
        EXPECT_GE(y, 960) << n << " lines";
        EXPECT_LE(y, 977) << n << " lines";
    }
}
}
