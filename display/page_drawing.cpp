#include "display/page_drawing.h"

#include "display/desk_upkeep.h"
#include "display/page_layout.h"
#include "display/page_window.h"
#include "display/typing_engine.h"
#include "platform/pacing.h"
#include "platform/platform.h"

#include <algorithm>

namespace {
// A host's window may go at any moment, and once it has, no picture goes to
// it: asked the size of a window that is not there, Mesa's software GL reads
// garbage and allocates for it (hundreds of megabytes, for seconds).
bool windowGone()
{
    return platformHostWindowMode() && platformRunEnding();
}

void present()
{
    if (!windowGone())
        SDL_RenderPresent(displayContext.renderer);
}

void drawPaper()
{
    pageLayout.paperRect.y = paperTopFor(pageLayout, typingState.scrollLines);
    SDL_RenderCopy(displayContext.renderer, displayContext.paperTexture, nullptr, &pageLayout.paperRect);
}
}

std::optional<std::size_t> measuredFit(TTF_Font* font, const std::string& text, int width)
{
    if (width <= 0)
        return 0;
    // Growing prefixes: a line may be a megabyte long, the screen shows a few
    // hundred characters of it.
    for (std::size_t probe = 256;; probe *= 2) {
        const std::size_t length = std::min(probe, text.size());
        const std::string prefix = text.substr(0, length);
        int extent = 0;
        int count = 0;
        if (TTF_MeasureText(font, prefix.c_str(), width, &extent, &count) != 0 || count < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(count) < length || length == text.size())
            return std::min(static_cast<std::size_t>(count), length);
    }
}

std::size_t charactersThatFit(TTF_Font* font, const std::string& text, int width)
{
    if (width <= 0)
        return 0;
    // A character takes at least a pixel: no answer may claim more than that,
    // and a measure that fails claims just that.
    const std::size_t most = std::min(text.size(), static_cast<std::size_t>(width));
    return std::min(measuredFit(font, text, width).value_or(most), most);
}

std::string visiblePart(const std::string& line, int x)
{
    const std::size_t fit = charactersThatFit(displayContext.font, line, pageLayout.screenWidth - x);
    // The character cut by the edge shows in part; nothing behind it does.
    return line.substr(0, std::min(line.size(), fit + 1));
}

void renderLine(std::string text)
{
    if (displayContext.lineTexture) {
        SDL_DestroyTexture(displayContext.lineTexture);
        displayContext.lineTexture = nullptr;
    }
    // Latin-1: every byte is one character.
    SDL_Surface* surface = TTF_RenderText_Blended(displayContext.font, text.c_str(), displayContext.textColour);
    displayContext.lineTexture = SDL_CreateTextureFromSurface(displayContext.renderer, surface);
    SDL_FreeSurface(surface);
}

void drawPage()
{
    SDL_RenderClear(displayContext.renderer);
    drawPaper();
    int y = firstLineTop(pageLayout, pageLayout.paperRect.y);
    int x = static_cast<int>(pageLayout.textX);
    for (const std::string& line : typingState.lines) {
        // Each line's texture goes when the next is made, which draws what
        // was queued with it.
        if (windowGone())
            return;
        // Only what can show: a line wider than the renderer's largest texture
        // would get none at all, and its cost would grow with its length.
        renderLine(visiblePart(line, x));
        // An empty line gives no texture; its query fails and nothing is drawn.
        if (displayContext.lineTexture) {
            SDL_QueryTexture(displayContext.lineTexture, nullptr, nullptr, &displayContext.lineTextureWidth,
                &displayContext.lineTextureHeight);
            SDL_Rect where{x, y, displayContext.lineTextureWidth, displayContext.lineTextureHeight};
            SDL_RenderCopy(displayContext.renderer, displayContext.lineTexture, nullptr, &where);
        }
        y = nextLineTop(pageLayout, y);
    }
}

void drawFrame()
{
    drawPage();
    present();
}

void drawBlankFrame()
{
    SDL_RenderClear(displayContext.renderer);
    SDL_RenderPresent(displayContext.renderer);
}

void feedPaper()
{
    for (int k = 0; k <= freshSheetScrollLines; ++k) {
        if (platformRunEnding())
            return;
        keepDisplaysCovered();
        platformAnswerWindowSystem();
        typingState.scrollLines = k;
        SDL_RenderClear(displayContext.renderer);
        drawPaper();
        present();
        pauseFor(drawRandom() % 150 + 10);
        pauseFor(100);
    }
}

namespace {
// The typing step capitalises on 29 and drops on 59, modulo 200: never on 0.
int steadyHand()
{
    return 0;
}
}

void typeSteadilyToStillFrame(int lineCount)
{
    TypingState& t = typingState;
    t.scrollLines = freshSheetScrollLines;
    if (t.sentences.empty() || lineCount <= 0)
        return;
    const int line = std::min(lineCount, linesPerPage);
    const RandomFunction saved = randomFunction;
    randomFunction = steadyHand;
    while (t.completedLines < line - 1 || !nextStepEndsLine())
        typeNextCharacter();
    randomFunction = saved;
}

int ejectFrameCount(int lineCount)
{
    const PageLayout& l = pageLayout;
    return static_cast<int>((l.paperBaseY + l.paperHeight - lineCount * l.lineHeight) / l.lineHeight + 5);
}

void ejectPage()
{
    int frames = ejectFrameCount(static_cast<int>(typingState.lines.size()));
    for (int i = 0; i < frames; ++i) {
        if (platformRunEnding())
            return;
        keepDisplaysCovered();
        platformAnswerWindowSystem();
        typingState.scrollLines += 1;
        drawPage();
        pauseFor(drawRandom() % 150 + 10);
        present();
    }
    feedPaper();
}

void turnPageIfFull()
{
    // A page holds linesPerPage typed lines; the next one goes out with the sheet.
    if (typingState.lines.size() <= static_cast<std::size_t>(linesPerPage) || !typingState.lineEnded)
        return;
    ejectPage();
    typingState.lines.clear();
    typingState.lines.emplace_back();
    typeNextCharacter();
}
