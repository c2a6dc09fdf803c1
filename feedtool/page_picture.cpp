#include "feedtool/page_picture.h"

#include "app/run_path.h"
#include "display/builtin_text.h"
#include "display/display_setup.h"
#include "display/page_drawing.h"
#include "display/page_layout.h"
#include "display/typing_engine.h"
#include "feedtool/feed_source.h"
#include "platform/pacing.h"
#include "service/text_feed.h"

#include <SDL_image.h>

#include <cstdio>

namespace {
// 0 is never 29 or 59 modulo 200: no character is capitalised or dropped.
int steadyHand()
{
    return 0;
}

void noPause(int) {}
}

int drawPagePicture(const std::string& feed, int width, int height, int lineCount, const std::string& output)
{
    const FeedSource source = readSource(feed, feedRequest);
    std::vector<std::string> entries;
    if (source.usable)
        entries = parseTextFeed(source.bytes.data(), source.bytes.size());
    if (feedHasText(entries)) {
        typingState.sentences = entries;
    } else {
        std::fprintf(stderr, "tapwrite-feed: %s gives the saver nothing to type (%s): drawing its built-in text\n",
            feed.c_str(), source.usable ? "no entry holds a character" : source.problem.c_str());
        useBuiltinTextIfEmpty();
    }

    // A software renderer on a picture in memory: no display, no window.
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
    SDL_SetHint("SDL_RENDER_SCALE_QUALITY", "1");
    displayContext.renderer = picture ? SDL_CreateSoftwareRenderer(picture) : nullptr;
    if (!displayContext.renderer || IMG_Init(IMG_INIT_PNG) == 0 || TTF_Init() != 0) {
        std::fprintf(stderr, "tapwrite-feed: cannot draw offscreen: %s\n", SDL_GetError());
        return 2;
    }
    SDL_SetRenderDrawColor(displayContext.renderer, 0, 0, 0, 0);
    pageLayout = computePageLayout(width, height);
    if (!loadAssets()) {
        std::fprintf(stderr, "tapwrite-feed: cannot load %s or %s\n", paperPicturePath().c_str(), fontPath().c_str());
        return 2;
    }

    // The sheet as the feed leaves it, then the lines typed at full speed.
    pauseFunction = noPause;
    randomFunction = steadyHand;
    typingState.scrollLines = 9;
    while (typingState.completedLines < lineCount)
        typeNextCharacter();
    drawPage();
    SDL_RenderPresent(displayContext.renderer);

    const bool saved = IMG_SavePNG(picture, output.c_str()) == 0;
    if (!saved)
        std::fprintf(stderr, "tapwrite-feed: cannot write %s: %s\n", output.c_str(), IMG_GetError());
    shutdownSaver();
    SDL_FreeSurface(picture);
    return saved ? 0 : 2;
}
