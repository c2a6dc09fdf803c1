// Page drawing, paper feed, eject and page turn on a 1920x1080 X screen, at full
// speed: pauses are recorded instead of slept. The SDL and SDL_ttf calls the
// drawing code makes are wrapped at link time (-Wl,--wrap), so every paper and
// line copy, every rendering of a line and every present is seen in order.
#include "app/run_path.h"
#include "app/wake_rules.h"
#include "display/display_setup.h"
#include "display/page_drawing.h"
#include "display/page_layout.h"
#include "display/typing_engine.h"
#include "tests/display/display_test_support.h"
#include "tests/support/scripted_pacing.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

// One thing the drawing code did, in the order it happened.
struct Event {
    explicit Event(char k) : kind(k) {}
    char kind; // C copy, R line rendering, P present, p pause
    const SDL_Texture* texture = nullptr;
    SDL_Rect rect{0, 0, 0, 0};
    int textureWidth = 0;
    int textureHeight = 0;
    std::string text;
    int milliseconds = 0;
    int scrollLines = 0;
    int paperTop = 0;
};

bool recording = false;
std::vector<Event> events;
std::set<SDL_Texture*> liveTextures;

void recordPause(int milliseconds)
{
    if (!recording)
        return;
    Event e('p');
    e.milliseconds = milliseconds;
    e.scrollLines = typingState.scrollLines;
    e.paperTop = pageLayout.paperRect.y;
    events.push_back(e);
}

} // namespace

extern "C" {
void __real_SDL_RenderPresent(SDL_Renderer* renderer);
int __real_SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* src, const SDL_Rect* dst);
SDL_Surface* __real_TTF_RenderText_Blended(TTF_Font* font, const char* text, SDL_Color fg);
SDL_Texture* __real_SDL_CreateTextureFromSurface(SDL_Renderer* renderer, SDL_Surface* surface);
void __real_SDL_DestroyTexture(SDL_Texture* texture);

void __wrap_SDL_RenderPresent(SDL_Renderer* renderer)
{
    if (recording) {
        Event e('P');
        e.scrollLines = typingState.scrollLines;
        events.push_back(e);
    }
    __real_SDL_RenderPresent(renderer);
}

int __wrap_SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* src, const SDL_Rect* dst)
{
    if (recording) {
        Event e('C');
        e.texture = texture;
        if (dst)
            e.rect = *dst;
        SDL_QueryTexture(texture, nullptr, nullptr, &e.textureWidth, &e.textureHeight);
        events.push_back(e);
    }
    return __real_SDL_RenderCopy(renderer, texture, src, dst);
}

SDL_Surface* __wrap_TTF_RenderText_Blended(TTF_Font* font, const char* text, SDL_Color fg)
{
    if (recording) {
        Event e('R');
        e.text = text;
        events.push_back(e);
    }
    return __real_TTF_RenderText_Blended(font, text, fg);
}

SDL_Texture* __wrap_SDL_CreateTextureFromSurface(SDL_Renderer* renderer, SDL_Surface* surface)
{
    SDL_Texture* texture = __real_SDL_CreateTextureFromSurface(renderer, surface);
    if (texture)
        liveTextures.insert(texture);
    return texture;
}

void __wrap_SDL_DestroyTexture(SDL_Texture* texture)
{
    liveTextures.erase(texture);
    __real_SDL_DestroyTexture(texture);
}
}

namespace {

std::string kindsOf(const std::vector<Event>& list)
{
    std::string kinds;
    for (const Event& e : list)
        kinds += e.kind;
    return kinds;
}

std::string repeat(const std::string& part, int times)
{
    std::string whole;
    for (int i = 0; i < times; ++i)
        whole += part;
    return whole;
}

std::vector<Event> ofKind(char kind)
{
    std::vector<Event> found;
    for (const Event& e : events)
        if (e.kind == kind)
            found.push_back(e);
    return found;
}

// Copies of line images (everything copied but the paper).
std::vector<Event> lineCopies()
{
    std::vector<Event> found;
    for (const Event& e : ofKind('C'))
        if (e.texture != displayContext.paperTexture)
            found.push_back(e);
    return found;
}

int liveLineTextures()
{
    return static_cast<int>(liveTextures.size()) - (liveTextures.count(displayContext.paperTexture) ? 1 : 0);
}

const std::vector<std::string> prose{
    "The quick brown fox jumps over the lazy dog.",
    "Every bell at the end of a line is a small applause.",
    "Pack my box with five dozen liquor jugs.",
    "Letters land like rain on a tin roof.",
    "Sphinx of black quartz, judge my vow.",
    "Strike each key firmly; the paper remembers.",
    "How vexingly quick daft zebras jump!",
};

// A page of count typed lines taken from prose.
std::vector<std::string> pageOf(int count)
{
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(prose[static_cast<size_t>(i) % prose.size()]);
    return lines;
}

class PageDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(openSaverDisplayOnce()) << SDL_GetError();
        ASSERT_EQ(pageLayout.screenWidth, 1920) << "these figures are for a 1920x1080 desktop";
        ASSERT_EQ(pageLayout.screenHeight, 1080) << "these figures are for a 1920x1080 desktop";
    }

    void SetUp() override
    {
        typingState = TypingState{};
        events.clear();
        recording = true;
        setMonitorPower("on");
    }

    // The stand-in DPMS extension's answer (the server's own has none).
    static void setMonitorPower(const char* level) { std::ofstream(TAPWRITE_DPMS_STANDIN_FILE) << level << "\n"; }

    void TearDown() override { recording = false; }
};

TEST_F(PageDrawing, FeedWindsTheSheetInOverTenFramesWithoutText)
{
    const std::vector<int> script{0, 149, 150, 151, 299, 7, 1000, 12345, 42, 160};
    ScriptedPacing pacing(script, 0);
    ScriptedPacing::onPause(recordPause);
    typingState.lines = pageOf(3); // lines of an old page are not drawn by the feed

    feedPaper();

    EXPECT_EQ(kindsOf(events), repeat("CPpp", 10));
    std::vector<int> expectedPauses;
    for (int value : script) {
        expectedPauses.push_back(value % 150 + 10);
        expectedPauses.push_back(100);
    }
    EXPECT_EQ(ScriptedPacing::pauses(), expectedPauses);
    EXPECT_EQ(ScriptedPacing::draws(), 10);

    std::vector<int> paperTops;
    for (const Event& copy : ofKind('C')) {
        EXPECT_EQ(copy.texture, displayContext.paperTexture);
        EXPECT_EQ(copy.rect.x, 384);
        EXPECT_EQ(copy.rect.w, 1152);
        EXPECT_EQ(copy.rect.h, 1490);
        paperTops.push_back(copy.rect.y);
    }
    EXPECT_EQ(paperTops, (std::vector<int>{1080, 1054, 1029, 1003, 978, 952, 927, 901, 876, 850}));
    std::vector<int> scrollAtPauses;
    for (const Event& pause : ofKind('p'))
        scrollAtPauses.push_back(pause.scrollLines);
    EXPECT_EQ(scrollAtPauses, (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9}));
    EXPECT_EQ(typingState.scrollLines, 9);
}

TEST_F(PageDrawing, FreshPageShowsPaperFromRow850AndTheFirstLineAt977)
{
    typingState.lines = {"The quick brown fox jumps over the lazy dog."};
    typingState.scrollLines = 9;

    drawPage();
    const Screenshot shot = readScreen();

    ASSERT_EQ(kindsOf(events), "CRC");
    EXPECT_EQ(events[0].rect.y, 850);
    EXPECT_EQ(events[2].rect.x, 522);
    EXPECT_EQ(events[2].rect.y, 977);
    ASSERT_EQ(shot.width, 1920);
    ASSERT_EQ(shot.height, 1080);

    int notBlackAbove = 0, notBlackBeside = 0, notPaperEdge = 0, inkInMargin = 0, inkAbove = 0, inkBelow = 0;
    int inkInLine = 0, leftmostInk = 1920;
    const int lineTop = 977;
    const int lineBottom = lineTop + TTF_FontHeight(displayContext.font);
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            const bool onPaper = y >= 850 && x >= 384 && x <= 1535;
            if (!onPaper) {
                if (!shot.isBlack(x, y))
                    ++(y < 850 ? notBlackAbove : notBlackBeside);
                continue;
            }
            if ((x == 384 || x == 1535) && !shot.isPaper(x, y))
                ++notPaperEdge;
            if (!shot.isInk(x, y))
                continue;
            if (x < 522)
                ++inkInMargin;
            else if (y < lineTop)
                ++inkAbove;
            else if (y >= lineBottom)
                ++inkBelow;
            else {
                ++inkInLine;
                leftmostInk = std::min(leftmostInk, x);
            }
        }
    }
    EXPECT_EQ(notBlackAbove, 0) << "pixels drawn above the paper";
    EXPECT_EQ(notBlackBeside, 0) << "pixels drawn left or right of the paper";
    EXPECT_EQ(notPaperEdge, 0) << "paper edge pixels at x 384 and 1535";
    EXPECT_EQ(inkInMargin, 0);
    EXPECT_EQ(inkAbove, 0);
    EXPECT_EQ(inkBelow, 0);
    EXPECT_GT(inkInLine, 500) << "the typed line is not visible";
    EXPECT_GE(leftmostInk, 522);
    EXPECT_LT(leftmostInk, 522 + 12) << "text does not start at the margin";
}

// While a page is typed scrollLines is 9 + (lines - 1): the paper moves up a
// pitch per line and the line being typed stays put.
TEST_F(PageDrawing, LinesStepOnePitchAndTheTypedLineStaysNearTheBottom)
{
    for (int count : {1, 2, 10, 24, 25, 37, 48, 49}) {
        SCOPED_TRACE("lines on the page: " + std::to_string(count));
        events.clear();
        typingState.lines = pageOf(count);
        typingState.scrollLines = 9 + count - 1;

        drawPage();

        std::vector<std::string> rendered;
        for (const Event& r : ofKind('R'))
            rendered.push_back(r.text);
        EXPECT_EQ(rendered, typingState.lines) << "every line is rendered afresh, in order";
        const std::vector<Event> copies = lineCopies();
        ASSERT_EQ(static_cast<int>(copies.size()), count);
        EXPECT_EQ(ofKind('C').front().rect.y, pageLayout.paperRect.y);
        for (size_t i = 0; i < copies.size(); ++i) {
            EXPECT_EQ(copies[i].rect.x, 522);
            EXPECT_EQ(copies[i].rect.w, copies[i].textureWidth) << "lines are drawn unscaled";
            EXPECT_EQ(copies[i].rect.h, copies[i].textureHeight) << "lines are drawn unscaled";
            if (i == 0)
                continue;
            const int top = copies[i].rect.y;
            const int step = top - copies[i - 1].rect.y;
            // Truncation toward zero: 25 on screen, 26 where the sum is negative.
            if (top > 0) {
                EXPECT_EQ(step, 25) << "line " << i;
            } else if (top < 0) {
                EXPECT_EQ(step, 26) << "line " << i;
            }
        }
        EXPECT_GE(copies.back().rect.y, 960);
        EXPECT_LE(copies.back().rect.y, 977);
        EXPECT_EQ(liveLineTextures(), 1) << "only one line texture may exist at a time";
        EXPECT_TRUE(liveTextures.count(displayContext.lineTexture));
    }
}

TEST_F(PageDrawing, EmptyLineDrawsNothingButTakesItsPitch)
{
    typingState.lines = {"Ink.", "", "Paper.", ""};
    typingState.scrollLines = 12;

    drawPage();

    EXPECT_EQ(kindsOf(events), "CRCRRCR");
    const std::vector<Event> copies = lineCopies();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[1].rect.y - copies[0].rect.y, 50);
    EXPECT_EQ(displayContext.lineTexture, nullptr) << "an empty last line leaves no line texture";
    EXPECT_EQ(liveLineTextures(), 0);
}

TEST_F(PageDrawing, FrameIsThePagePresentedOnce)
{
    typingState.lines = pageOf(3);
    typingState.scrollLines = 11;
    drawFrame();
    EXPECT_EQ(kindsOf(events), "CRCRCRCP");
}

TEST_F(PageDrawing, EjectOfAFullPageRuns56FramesThenFeeds)
{
    std::vector<std::string> page = pageOf(48);
    page.emplace_back();
    typingState.lines = page;
    typingState.scrollLines = 57;
    std::vector<int> script;
    for (int i = 0; i < 66; ++i)
        script.push_back(i * 37 + 3);
    ScriptedPacing pacing(script, 0);
    ScriptedPacing::onPause(recordPause);

    ejectPage();

    const std::string ejectFrame = "C" + repeat("RC", 48) + "R" + "pP";
    EXPECT_EQ(kindsOf(events), repeat(ejectFrame, 56) + repeat("CPpp", 10));
    EXPECT_EQ(ScriptedPacing::draws(), 66);

    const std::vector<Event> pauses = ofKind('p');
    ASSERT_EQ(pauses.size(), 56u + 20u);
    for (int i = 0; i < 56; ++i) {
        EXPECT_EQ(pauses[i].scrollLines, 58 + i) << "eject frame " << i;
        EXPECT_EQ(pauses[i].milliseconds, script[i] % 150 + 10) << "eject frame " << i;
    }
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(pauses[56 + 2 * k].milliseconds, script[56 + k] % 150 + 10) << "feed frame " << k;
        EXPECT_EQ(pauses[56 + 2 * k + 1].milliseconds, 100) << "feed frame " << k;
        EXPECT_EQ(pauses[56 + 2 * k].scrollLines, k) << "feed frame " << k;
    }

    // The sheet climbs every frame and is wholly off the top in the last one.
    std::vector<Event> papers;
    std::vector<Event> lastFrameLines;
    int frame = 0;
    for (const Event& e : events) {
        if (e.kind == 'P')
            ++frame;
        if (e.kind == 'C' && frame < 56) {
            if (e.texture == displayContext.paperTexture)
                papers.push_back(e);
            else if (frame == 55)
                lastFrameLines.push_back(e);
        }
    }
    ASSERT_EQ(papers.size(), 56u);
    EXPECT_GT(papers.front().rect.y + papers.front().rect.h, 0) << "the sheet is still in sight at the start";
    for (size_t i = 1; i < papers.size(); ++i)
        EXPECT_LT(papers[i].rect.y, papers[i - 1].rect.y);
    EXPECT_LE(papers.back().rect.y + papers.back().rect.h, 0) << "the sheet is not out at the end";
    ASSERT_EQ(lastFrameLines.size(), 48u);
    for (const Event& line : lastFrameLines)
        EXPECT_LE(line.rect.y + line.rect.h, 0);

    EXPECT_EQ(typingState.scrollLines, 9);
    EXPECT_EQ(typingState.lines, page) << "the eject leaves the lines alone";
}

struct LayoutFrames {
    int width;
    int height;
    int frames;
};

TEST_F(PageDrawing, EjectFrameCountOfAFullPageDependsOnTheScreen)
{
    const PageLayout saved = pageLayout;
    for (const LayoutFrames& c : {LayoutFrames{1920, 1080, 56}, LayoutFrames{1280, 1024, 74},
             LayoutFrames{1366, 768, 56}, LayoutFrames{2560, 1440, 56}}) {
        pageLayout = computePageLayout(c.width, c.height);
        EXPECT_EQ(ejectFrameCount(49), c.frames) << c.width << "x" << c.height;
    }
    pageLayout = saved;
}

struct TurnCase {
    const char* name;
    int lineCount;
    bool lineEnded;
    std::string nextSentence;
    bool turns;
    std::vector<std::string> linesAfterTurn;
};

TEST_F(PageDrawing, PageTurnsTheMomentThe49thLineIsStarted)
{
    const std::vector<TurnCase> cases{
        {"48 lines, line just ended", 48, true, "Sphinx of black quartz.", false, {}},
        {"49 lines, last step typed a character", 49, false, "Sphinx of black quartz.", false, {}},
        {"49 lines, line just ended", 49, true, "Sphinx of black quartz.", true, {"S"}},
        {"49 lines, next sentence empty", 49, true, "", true, {"", ""}},
    };
    for (const TurnCase& c : cases) {
        SCOPED_TRACE(c.name);
        typingState = TypingState{};
        typingState.sentences = {"Opening one.", "Opening two.", "Opening three.", "", "Waltz, bad nymph.",
            c.nextSentence, "Ink, paper and patience."};
        std::vector<std::string> page = pageOf(c.lineCount - 1);
        page.emplace_back();
        typingState.lines = page;
        typingState.lineEnded = c.lineEnded;
        typingState.sentenceIndex = 5;
        typingState.charIndex = 0;
        typingState.completedLines = 1000;
        typingState.scrollLines = 9 + c.lineCount - 1;
        // Eject and feed pauses from the script; the typing step draws 0: no capital, no drop.
        std::vector<int> script;
        for (int i = 0; i < 66; ++i)
            script.push_back(i * 11 + 5);
        ScriptedPacing pacing(script, 0);

        turnPageIfFull();

        if (!c.turns) {
            EXPECT_TRUE(ScriptedPacing::pauses().empty());
            EXPECT_EQ(ScriptedPacing::draws(), 0);
            EXPECT_EQ(typingState.lines, page);
            EXPECT_EQ(typingState.completedLines, 1000);
            EXPECT_EQ(typingState.scrollLines, 9 + c.lineCount - 1);
            continue;
        }
        EXPECT_EQ(typingState.lines, c.linesAfterTurn);
        const std::vector<int>& pauses = ScriptedPacing::pauses();
        ASSERT_EQ(pauses.size(), 56u + 20u) << "eject and feed, and no pause after the typing step";
        EXPECT_EQ(pauses.back(), 100);
        // 56 eject frames and 10 feed frames; a character step draws once more.
        EXPECT_EQ(ScriptedPacing::draws(), c.nextSentence.empty() ? 66 : 67);
        if (c.nextSentence.empty()) {
            EXPECT_EQ(typingState.completedLines, 1001);
            EXPECT_EQ(typingState.sentenceIndex, 6);
            EXPECT_EQ(typingState.charIndex, 0);
            EXPECT_EQ(typingState.scrollLines, 10);
            EXPECT_TRUE(typingState.lineEnded);
        } else {
            EXPECT_EQ(typingState.completedLines, 1000);
            EXPECT_EQ(typingState.sentenceIndex, 5);
            EXPECT_EQ(typingState.charIndex, 1);
            EXPECT_EQ(typingState.scrollLines, 9);
            EXPECT_FALSE(typingState.lineEnded);
        }
    }
}

size_t mostLinesAtAPause = 0;
void noteLinesAtPause(int)
{
    mostLinesAtAPause = std::max(mostLinesAtAPause, typingState.lines.size());
}

TEST_F(PageDrawing, MainLoopTypesWholePagesOf48Lines)
{
    recording = false;
    ScriptedPacing pacing({}, 0);
    mostLinesAtAPause = 0;
    ScriptedPacing::onPause(noteLinesAtPause);
    typingState.sentences = {"Good evening.", "A fresh sheet.", "Listen.", "", "Ink.", "Bells ring.", "Type on."};
    quitRequested = false;
    feedPaper();

    std::vector<int> completedAtTurn;
    std::vector<size_t> linesBeforeTurn;
    std::vector<std::string> firstLineAfterTurn;
    int passes = 0;
    while (typingState.completedLines < 2 * 48 + 2 && passes < 20000) {
        const size_t before = typingState.lines.size();
        ASSERT_TRUE(mainLoopPass()) << "the loop stopped without a wake event";
        ++passes;
        const size_t after = typingState.lines.size();
        ASSERT_GE(after, 1u);
        ASSERT_LE(after, 49u);
        if (after < before) {
            completedAtTurn.push_back(typingState.completedLines);
            linesBeforeTurn.push_back(before);
            firstLineAfterTurn.push_back(typingState.lines.front());
        } else {
            // While a page is typed the paper has moved one pitch per line.
            ASSERT_EQ(typingState.scrollLines, 9 + static_cast<int>(after) - 1) << "pass " << passes;
        }
    }
    EXPECT_EQ(completedAtTurn, (std::vector<int>{48, 96}));
    EXPECT_EQ(linesBeforeTurn, (std::vector<size_t>{48, 48}));
    EXPECT_LE(mostLinesAtAPause, 49u);
    EXPECT_EQ(mostLinesAtAPause, 49u) << "the eject runs with the 49th line on the page";
    // Lines 5 to 48 cycle through sentences 4 to 6, so line 48 and line 96 both
    // type sentence 5; each new page begins with the first character of sentence 6.
    EXPECT_EQ(firstLineAfterTurn, (std::vector<std::string>{"T", "T"}));
    EXPECT_LE(liveLineTextures(), 1);
}

} // namespace

// A sentence is never wrapped, so a long one runs off the screen; what can be
// seen of it must still show, from its first character to the window's edge.
// Drawn whole, a line wider than the renderer's largest texture got none.
TEST_F(PageDrawing, ALongSentenceShowsFromItsStartToTheWindowsEdge)
{
    const int pitch = 12; // the font's advance at this size, in pixels
    const int fits = (1920 - 522) / pitch;
    for (size_t length : {40u, 5000u}) {
        SCOPED_TRACE("characters: " + std::to_string(length));
        ScriptedPacing pacing({}, 0);
        typingState = TypingState{};
        typingState.sentences = {"Long" + std::string(length - 4, 'm')};
        typingState.scrollLines = 9;
        for (size_t i = 0; i < length; ++i)
            typeNextCharacter();
        ASSERT_EQ(typingState.lines.back(), typingState.sentences[0]) << "typed in full";
        events.clear();

        drawPage();
        const Screenshot shot = readScreen();

        const std::vector<Event> rendered = ofKind('R');
        ASSERT_EQ(rendered.size(), 1u);
        EXPECT_EQ(rendered[0].text, typingState.sentences[0].substr(0, std::min<size_t>(length, fits + 1)));
        int startInk = 0, edgeInk = 0;
        for (int y = 977; y < 977 + 25; ++y) {
            for (int x = 522; x < 522 + 4 * pitch; ++x)
                startInk += shot.isInk(x, y);
            for (int x = 1920 - 2 * pitch; x < 1920; ++x)
                edgeInk += shot.isInk(x, y);
        }
        EXPECT_GT(startInk, 60) << "the sentence's first characters are missing";
        if (length > static_cast<size_t>(fits)) {
            EXPECT_GT(edgeInk, 20) << "the sentence stops short of the window's edge";
        }
    }
}

namespace {
// What a frame drew, in order, in words: the paper's and each line's place,
// each line's text. Comparable across runs (texture handles are not).
std::vector<std::string> drawnOf(const std::vector<Event>& frame)
{
    std::vector<std::string> drawn;
    for (const Event& e : frame) {
        const SDL_Rect& r = e.rect;
        if (e.kind == 'C')
            drawn.push_back(std::string(e.texture == displayContext.paperTexture ? "paper " : "line ")
                + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h));
        else if (e.kind == 'R')
            drawn.push_back("render \"" + e.text + "\"");
    }
    return drawn;
}

// The recorded events cut into frames, each ending with its present.
std::vector<std::vector<Event>> framesOf(const std::vector<Event>& list)
{
    std::vector<std::vector<Event>> frames(1);
    for (const Event& e : list) {
        frames.back().push_back(e);
        if (e.kind == 'P')
            frames.emplace_back();
    }
    frames.pop_back();
    return frames;
}
}

// Monitors powered down between two frames (as Windows' display-off and
// display-on setting changes, or DPMS, tell it): no frame and no character
// until they light, only waits for events of at most a second each.
TEST_F(PageDrawing, NoFrameIsDrawnWhileTheMonitorsAreOff)
{
    recording = false;
    ScriptedPacing pacing({}, 0);
    typingState.sentences = {"Good evening.", "A fresh sheet.", "Listen.", "", "Ink."};
    quitRequested = false;
    feedPaper();
    setMonitorPower("off");
    int passes = 0;
    while (ScriptedPacing::waits().empty() && passes++ < 100)
        ASSERT_TRUE(mainLoopPass());
    ASSERT_EQ(ScriptedPacing::waits().size(), 1u) << "not paused within 100 passes after the monitors went off";
    const TypingState paused = typingState;
    events.clear();
    recording = true;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(mainLoopPass());
    EXPECT_EQ(kindsOf(events), "") << "drawn or paused while dark";
    EXPECT_EQ(ScriptedPacing::waits(), std::vector<int>(6, 1000));
    EXPECT_EQ(typingState.lines, paused.lines);
    EXPECT_EQ(typingState.charIndex, paused.charIndex);

    setMonitorPower("on");
    ASSERT_TRUE(mainLoopPass());
    EXPECT_EQ(ofKind('P').size(), 1u) << "the page did not show again when the monitors lit";
    EXPECT_EQ(ScriptedPacing::waits().size(), 6u);
    EXPECT_NE(typingState.charIndex, paused.charIndex) << "the typing did not go on";
}

// tapwrite-feed's page is a frame the saver shows: the last still one of a
// line, and by default (a full page) the last one before the page turns.
TEST_F(PageDrawing, StillFrameOfALineIsTheSaversLastFrameOfIt)
{
    const std::vector<std::string> sentences{"Good evening.", "A fresh sheet.", "Listen.", "", "Ink.", "Bells ring.",
        "Type on, \xe9t\xe9 and winter."};
    recording = false;
    ScriptedPacing pacing({}, 0);
    typingState.sentences = sentences;
    quitRequested = false;
    feedPaper();
    recording = true;
    while (typingState.completedLines < linesPerPage)
        ASSERT_TRUE(mainLoopPass()) << "the loop stopped without a wake event";
    recording = false;
    const std::vector<std::vector<Event>> saverFrames = framesOf(events);

    for (int line : {1, 17, linesPerPage}) {
        SCOPED_TRACE("line " + std::to_string(line));
        // The saver's: the last frame with lines on it at that line's scroll
        // (the eject's frames scroll past the page's, the feed's draw no line).
        std::vector<std::string> saverDrawn;
        for (const std::vector<Event>& frame : saverFrames)
            if (frame.back().scrollLines == freshSheetScrollLines + line - 1 && frame.size() > 2)
                saverDrawn = drawnOf(frame);
        ASSERT_FALSE(saverDrawn.empty());

        typingState = TypingState{};
        typingState.sentences = sentences;
        typeSteadilyToStillFrame(line);
        events.clear();
        recording = true;
        drawFrame();
        recording = false;
        EXPECT_EQ(drawnOf(events), saverDrawn);
        EXPECT_EQ(typingState.lines.size(), static_cast<std::size_t>(line));
    }
}

// The bound on what a line renders holds whatever the font library answers.
TEST_F(PageDrawing, CharactersThatFitStayWithinTheWidth)
{
    TTF_Font* font = displayContext.font;
    int pitch = 0;
    TTF_GlyphMetrics(font, 'M', nullptr, nullptr, nullptr, nullptr, &pitch);
    ASSERT_EQ(pitch, 12) << "a monospaced font of 12 pixels' advance at this size";
    const std::string ten(10, 'M');
    const std::string latin1 = "\xe9\xfc\xdf\xa9\xc3\xff\xa0\xe0\xf1\xd8";
    const std::string megabyte(1 << 20, 'M');
    const struct {
        const char* name;
        TTF_Font* font;
        const std::string& text;
        int width;
        std::size_t fit;
    } rows[] = {
        {"exact fit", font, ten, 10 * pitch, 10},
        {"a pixel short", font, ten, 10 * pitch - 1, 9},
        {"no width", font, ten, 0, 0},
        {"bytes of 0xA0 and above, each one character", font, latin1, 10 * pitch, 10},
        {"bytes of 0xA0 and above, a pixel short", font, latin1, 10 * pitch - 1, 9},
        {"a long line", font, megabyte, 1398, 1398 / 12},
        {"a measure that fails: no more characters than pixels", nullptr, megabyte, 1398, 1398},
        {"a measure that fails on a short line", nullptr, ten, 1398, 10},
    };
    for (const auto& row : rows)
        EXPECT_EQ(charactersThatFit(row.font, row.text, row.width), row.fit) << row.name;

    // Bytes of 0x80 to 0x9F have no glyph: they still count one each, and
    // never more than fit.
    const std::string controls = "\x80\x81\x8f\x90\x9f";
    EXPECT_LE(charactersThatFit(font, controls, 3 * pitch), 3u);

    // visiblePart: up to the character the window's edge cuts, bytes as they are.
    EXPECT_EQ(visiblePart(std::string(500, '\xe9'), 522), std::string((1920 - 522) / pitch + 1, '\xe9'));
    EXPECT_EQ(visiblePart(latin1, 522), latin1);
    displayContext.font = nullptr; // a font handle that fails every measure
    const std::size_t shown = visiblePart(megabyte, 522).size();
    displayContext.font = font;
    EXPECT_LE(shown, static_cast<std::size_t>(1920)) << "at most the screen's width in characters";
}
