// Display setup on a real X screen: the window, the renderer, the libraries and
// the two assets, checked against figures for the desktop size the test finds.
#include "diag/trace.h"
#include "display/display_setup.h"
#include "display/monitor_covers.h"
#include "display/page_layout.h"
#include "tests/display/display_test_support.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct DesktopFigures {
    int width;
    int height;
    int pointSize;
    SDL_Rect paper; // y is not set by the layout
    int textLeft;
};

// The desktops this test is run on, with what the saver must make of them.
const DesktopFigures knownDesktops[] = {
    {1920, 1080, 22, {384, 0, 1152, 1490}, 522},
    {1366, 768, 16, {273, 0, 819, 1060}, 371},
};

bool initResult = false;
bool assetsResult = false;
std::vector<std::string> initTraceLines;
SDL_DisplayMode desktop{};

const DesktopFigures* figuresForDesktop()
{
    for (const DesktopFigures& f : knownDesktops)
        if (f.width == desktop.w && f.height == desktop.h)
            return &f;
    return nullptr;
}

// Sets the saver's display up once, with the trace written to a file.
class DisplaySetup : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        initTraceLines = traceLinesOf([] { initResult = initDisplay(); });

        if (initResult)
            assetsResult = loadAssets();
        SDL_GetDesktopDisplayMode(0, &desktop);
    }

    void SetUp() override
    {
        ASSERT_NE(figuresForDesktop(), nullptr)
            << "no expected figures for a " << desktop.w << "x" << desktop.h << " desktop";
    }
};

TEST_F(DisplaySetup, InitSucceedsAndTracesItsStartAndReturn)
{
    EXPECT_TRUE(initResult) << SDL_GetError();
    EXPECT_EQ(initTraceLines, (std::vector<std::string>{"start init", "return from init"}));
}

TEST_F(DisplaySetup, WindowCoversTheDesktopOnTheDesktopsOwnMode)
{
    ASSERT_NE(displayContext.window, nullptr);
    const DesktopFigures& f = *figuresForDesktop();
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(displayContext.window, &w, &h);
    EXPECT_EQ(w, f.width);
    EXPECT_EQ(h, f.height);
    EXPECT_STREQ(SDL_GetWindowTitle(displayContext.window), "Tapwrite Screen Saver");
    Uint32 flags = SDL_GetWindowFlags(displayContext.window);
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    // Under X it is the saver's own window, placed by it on display 0 without
    // a display mode of its own and without a frame.
    EXPECT_EQ(flags & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u) << "must not switch the display mode";
    EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
    int x = -1;
    int y = -1;
    SDL_GetWindowPosition(displayContext.window, &x, &y);
    EXPECT_EQ(x, pageArea.x);
    EXPECT_EQ(y, pageArea.y);
}

TEST_F(DisplaySetup, LayoutFollowsTheDesktop)
{
    const DesktopFigures& f = *figuresForDesktop();
    EXPECT_EQ(pageLayout.screenWidth, f.width);
    EXPECT_EQ(pageLayout.screenHeight, f.height);
    EXPECT_EQ(pageLayout.paperRect.x, f.paper.x);
    EXPECT_EQ(pageLayout.paperRect.w, f.paper.w);
    EXPECT_EQ(pageLayout.paperRect.h, f.paper.h);
    EXPECT_EQ(static_cast<int>(pageLayout.textX), f.textLeft);
}

TEST_F(DisplaySetup, RendererIsAcceleratedClearsBlackAndFiltersLinearly)
{
    ASSERT_NE(displayContext.renderer, nullptr);
    SDL_RendererInfo info;
    ASSERT_EQ(SDL_GetRendererInfo(displayContext.renderer, &info), 0) << SDL_GetError();
    EXPECT_TRUE(info.flags & SDL_RENDERER_ACCELERATED) << "renderer " << info.name;
    Uint8 r = 1, g = 1, b = 1, a = 1;
    SDL_GetRenderDrawColor(displayContext.renderer, &r, &g, &b, &a);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{0, 0, 0, 0}));
    const char* quality = SDL_GetHint("SDL_RENDER_SCALE_QUALITY");
    ASSERT_NE(quality, nullptr);
    EXPECT_STREQ(quality, "1");
}

TEST_F(DisplaySetup, ImageAndFontLibrariesAreStarted)
{
    EXPECT_TRUE(IMG_Init(0) & IMG_INIT_PNG);
    EXPECT_GT(TTF_WasInit(), 0);
}

TEST_F(DisplaySetup, AssetsLoadBesideTheProgram)
{
    EXPECT_TRUE(assetsResult) << SDL_GetError();
    EXPECT_NE(displayContext.paperTexture, nullptr);
    EXPECT_NE(displayContext.font, nullptr);
    EXPECT_EQ(displayContext.lineTexture, nullptr) << "no line is drawn before the first frame";
    const SDL_Color& c = displayContext.textColour;
    EXPECT_EQ((std::vector<int>{c.r, c.g, c.b, c.a}), (std::vector<int>{0, 0, 0, 0}));
}

// What can be measured of an open font; SDL_ttf has no point-size getter.
std::vector<int> fontSignature(TTF_Font* font)
{
    std::vector<int> sig{TTF_FontHeight(font), TTF_FontAscent(font), TTF_FontDescent(font), TTF_FontLineSkip(font)};
    for (const char* text : {"The quick brown fox jumps over the lazy dog.", "WMWMWMWMWMWMWMWMWMWM", "iiiiiiiiiiiiiiiiiiii"}) {
        int w = 0;
        int h = 0;
        TTF_SizeText(font, text, &w, &h);
        sig.push_back(w);
        sig.push_back(h);
    }
    return sig;
}

TEST_F(DisplaySetup, FontIsOpenAtThePointSizeOfTheLayout)
{
    ASSERT_NE(displayContext.font, nullptr);
    const int expected = figuresForDesktop()->pointSize;
    const std::vector<int> actual = fontSignature(displayContext.font);
    for (int size : {expected - 1, expected, expected + 1}) {
        TTF_Font* reference = TTF_OpenFont(fontPath().c_str(), size);
        ASSERT_NE(reference, nullptr) << TTF_GetError();
        if (size == expected)
            EXPECT_EQ(actual, fontSignature(reference)) << "font does not measure like size " << size;
        else
            EXPECT_NE(actual, fontSignature(reference)) << "font measures like size " << size;
        TTF_CloseFont(reference);
    }
}

TEST_F(DisplaySetup, FontCoversLatin1)
{
    ASSERT_NE(displayContext.font, nullptr);
    std::ostringstream missing;
    int missingCount = 0;
    for (int code = 0x20; code <= 0xFF; ++code) {
        if (code > 0x7E && code < 0xA0)
            continue;
        if (!TTF_GlyphIsProvided(displayContext.font, static_cast<Uint16>(code))) {
            ++missingCount;
            char hex[8];
            std::snprintf(hex, sizeof hex, " 0x%02X", code);
            missing << hex;
        }
    }
    EXPECT_EQ(missingCount, 0) << "glyphs missing:" << missing.str();
}

} // namespace
