// loadAssets() when an asset is not beside the program. Built twice: into a
// folder with no tapwritefiles/ at all, and into one holding only the paper
// picture (PAPER_PRESENT). TTF_OpenFont is wrapped at link time to see whether
// the font was touched.
#include "diag/trace.h"
#include "display/display_setup.h"
#include "tests/display/display_test_support.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {
int fontOpenings = 0;
}

extern "C" {
TTF_Font* __real_TTF_OpenFont(const char* file, int ptsize);
TTF_Font* __wrap_TTF_OpenFont(const char* file, int ptsize)
{
    ++fontOpenings;
    return __real_TTF_OpenFont(file, ptsize);
}
}

namespace {

TEST(MissingAsset, LoadAssetsFailsAndTracesWhatIsMissing)
{
    ASSERT_TRUE(initDisplay()) << SDL_GetError();
    bool result = true;
    const std::vector<std::string> traced = traceLinesOf([&] { result = loadAssets(); });
    EXPECT_FALSE(result);
#ifdef PAPER_PRESENT
    EXPECT_EQ(traced, std::vector<std::string>{" cant find font"});
    EXPECT_NE(displayContext.paperTexture, nullptr) << "the paper texture stays loaded";
    EXPECT_EQ(fontOpenings, 1);
#else
    EXPECT_EQ(traced, std::vector<std::string>{" cant find texture"});
    EXPECT_EQ(displayContext.paperTexture, nullptr);
    EXPECT_EQ(fontOpenings, 0) << "the font is not touched when the paper is missing";
#endif
    EXPECT_EQ(displayContext.font, nullptr);
}

} // namespace
