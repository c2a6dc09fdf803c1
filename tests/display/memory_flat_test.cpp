// Memory stays flat over a long run: 200 whole pages typed through the main
// loop at full speed (pauses recorded, not slept). Every frame renders every
// line afresh, so a texture or surface kept per line would show here at once.
#include "app/run_path.h"
#include "app/wake_rules.h"
#include "display/page_drawing.h"
#include "display/typing_engine.h"
#include "tests/display/display_test_support.h"
#include "tests/support/scripted_pacing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace {
long texturesMade = 0;
}

// Counts the line images made (link-time wrap), to show the run exercised them.
extern "C" {
SDL_Texture* __real_SDL_CreateTextureFromSurface(SDL_Renderer* renderer, SDL_Surface* surface);
SDL_Texture* __wrap_SDL_CreateTextureFromSurface(SDL_Renderer* renderer, SDL_Surface* surface)
{
    SDL_Texture* texture = __real_SDL_CreateTextureFromSurface(renderer, surface);
    if (texture)
        ++texturesMade;
    return texture;
}
}

namespace {

constexpr int earlyPage = 10;
constexpr int lastPage = 200;
constexpr long marginKiB = 4 * 1024;

// Runs main-loop passes until the given number of pages has been turned.
void typeUntilPage(int page, int& pagesTurned)
{
    while (pagesTurned < page) {
        const size_t before = typingState.lines.size();
        ASSERT_TRUE(mainLoopPass()) << "the loop stopped without a wake event";
        ASSERT_LE(typingState.lines.size(), 49u);
        if (typingState.lines.size() < before)
            ++pagesTurned;
        // The recorder would otherwise grow with the run and hide what is measured.
        ScriptedPacing::pauses().clear();
    }
}

TEST(LongRun, ResidentMemoryStaysFlatFromPage10ToPage200)
{
    ASSERT_TRUE(openSaverDisplayOnce()) << SDL_GetError();
    ScriptedPacing pacing({}, 7);
    typingState = TypingState{};
    // A frame costs mostly its present and the upload of each line image, so
    // short sentences and empty lines keep 200 pages quick. A quarter of the lines
    // still get an image of their own on every frame.
    typingState.sentences = {"Hi.", "Ok", "A", "", "I", "", "", ""};
    quitRequested = false;
    feedPaper();

    const auto start = std::chrono::steady_clock::now();
    int pagesTurned = 0;
    typeUntilPage(earlyPage, pagesTurned);
    const long earlyKiB = residentKiB();
    const long earlyTextures = texturesMade;
    const int earlyLines = typingState.completedLines;
    typeUntilPage(lastPage, pagesTurned);
    const long lastKiB = residentKiB();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const long textures = texturesMade - earlyTextures;
    std::printf("resident after page %d: %ld KiB; after page %d: %ld KiB; growth %+ld KiB; "
                "%ld line textures made in between (%.1f s)\n",
        earlyPage, earlyKiB, lastPage, lastKiB, lastKiB - earlyKiB, textures, seconds);
    // A page of this text makes some 1000 line images; far fewer means the run
    // did not exercise what it measures.
    EXPECT_GT(textures, (lastPage - earlyPage) * 500L);
    EXPECT_EQ(earlyLines, earlyPage * 48);
    EXPECT_EQ(typingState.completedLines, lastPage * 48);
    EXPECT_LE(lastKiB - earlyKiB, marginKiB);
}

} // namespace
