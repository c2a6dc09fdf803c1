#include "feedtool/page_picture.h"

#include "display/builtin_text.h"
#include "display/page_drawing.h"
#include "display/page_layout.h"
#include "display/page_window.h"
#include "display/renderer_setup.h"
#include "display/typing_engine.h"
#include "feedtool/exit_codes.h"
#include "feedtool/feed_source.h"
#include "feedtool/report.h"
#include "service/text_feed.h"

#include <SDL_image.h>

namespace {
// The sentences a saver types from the feed; the built-in text only when
// asked for. Gives the exit code when there is nothing to draw.
int takeSentences(const PagePicture& picture)
{
    const FeedSource source = readSource(picture.feed, feedRequest);
    if (reportUnreadable(source))
        return exitToolFailure;
    std::vector<std::string> entries;
    if (source.usable)
        entries = parseTextFeed(source.bytes.data(), source.bytes.size());
    if (feedHasText(entries)) {
        typingState.sentences = std::move(entries);
        return exitClean;
    }
    printToolMessage(picture.feed + " gives the saver nothing to type ("
        + (source.usable ? "no entry holds a character" : source.problem) + "): every saver types its built-in text"
        + (picture.builtinText ? ", drawn here" : "; --builtin-text draws that"));
    if (!picture.builtinText)
        return exitErrors;
    useBuiltinTextIfEmpty();
    return exitClean;
}

// A software renderer on a picture in memory, prepared as the saver's, with
// the saver's assets: no display, no window.
bool openOffscreen(SDL_Surface* surface, int width, int height)
{
    displayContext.renderer = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (!displayContext.renderer || !prepareRenderer(displayContext.renderer)) {
        printToolMessage(std::string("cannot draw offscreen: ") + SDL_GetError());
        return false;
    }
    pageLayout = computePageLayout(width, height);
    if (!loadAssets()) {
        printToolMessage("cannot load " + paperPicturePath() + " or " + fontPath());
        return false;
    }
    return true;
}
}

int drawPagePicture(const PagePicture& picture)
{
    if (const int code = takeSentences(picture); code != exitClean)
        return code;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, picture.width, picture.height, 32, SDL_PIXELFORMAT_RGB888);
    int code = exitToolFailure;
    if (openOffscreen(surface, picture.width, picture.height)) {
        typeSteadilyToStillFrame(picture.lineCount);
        drawPage();
        SDL_RenderPresent(displayContext.renderer);
        if (IMG_SavePNG(surface, picture.output.c_str()) == 0)
            code = exitClean;
        else
            printToolMessage("cannot write " + picture.output + ": " + IMG_GetError());
    }
    // The renderer draws into the picture: it goes first, the libraries last.
    releasePageWindow();
    SDL_FreeSurface(surface);
    quitMediaLibraries();
    return code;
}
