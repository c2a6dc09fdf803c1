// The order in which the saver lets go of what it holds. The release calls are
// wrapped at link time (-Wl,--wrap): each wrapper notes the call and its handle
// and passes it on, so the libraries really shut down.
#include "app/run_path.h"
#include "display/display_setup.h"
#include "display/monitor_covers.h"
#include "display/page_drawing.h"
#include "display/typing_engine.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Call {
    std::string name;
    const void* handle;
    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Call& call)
{
    return out << call.name << "(" << call.handle << ")";
}

bool recording = false;
std::vector<Call> calls;

void note(const char* name, const void* handle = nullptr)
{
    if (recording)
        calls.push_back({name, handle});
}

} // namespace

extern "C" {
void __real_curl_global_cleanup();
void __real_SDL_DestroyTexture(SDL_Texture* texture);
void __real_TTF_CloseFont(TTF_Font* font);
void __real_SDL_DestroyRenderer(SDL_Renderer* renderer);
void __real_SDL_DestroyWindow(SDL_Window* window);
void __real_IMG_Quit();
void __real_SDL_Quit();
void __real_TTF_Quit();
void __real__Z10closeTracev();

void __wrap_curl_global_cleanup()
{
    note("curl_global_cleanup");
    __real_curl_global_cleanup();
}
void __wrap_SDL_DestroyTexture(SDL_Texture* texture)
{
    note("SDL_DestroyTexture", texture);
    __real_SDL_DestroyTexture(texture);
}
void __wrap_TTF_CloseFont(TTF_Font* font)
{
    note("TTF_CloseFont", font);
    __real_TTF_CloseFont(font);
}
void __wrap_SDL_DestroyRenderer(SDL_Renderer* renderer)
{
    note("SDL_DestroyRenderer", renderer);
    __real_SDL_DestroyRenderer(renderer);
}
void __wrap_SDL_DestroyWindow(SDL_Window* window)
{
    note("SDL_DestroyWindow", window);
    __real_SDL_DestroyWindow(window);
}
void __wrap_IMG_Quit()
{
    note("IMG_Quit");
    __real_IMG_Quit();
}
void __wrap_SDL_Quit()
{
    note("SDL_Quit");
    __real_SDL_Quit();
}
void __wrap_TTF_Quit()
{
    note("TTF_Quit");
    __real_TTF_Quit();
}
// closeTrace() of diag/trace.h, by its mangled name.
void __wrap__Z10closeTracev()
{
    note("closeTrace");
    __real__Z10closeTracev();
}
}

namespace {

struct Held {
    const void* paper;
    const void* line;
    const void* font;
    const void* renderer;
    const void* window;
    std::vector<const void*> covers; // the other monitors' windows
};

// Opens the display, loads the assets and draws one frame of lastLine's page.
Held runOneFrame(const std::string& lastLine)
{
    typingState = TypingState{};
    typingState.lines = {"Every bell at the end of a line is a small applause.", lastLine};
    typingState.scrollLines = 10;
    EXPECT_TRUE(initDisplay()) << SDL_GetError();
    EXPECT_TRUE(loadAssets()) << SDL_GetError();
    drawFrame();
    const DisplayContext& d = displayContext;
    return {d.paperTexture, d.lineTexture, d.font, d.renderer, d.window,
        std::vector<const void*>(coverWindows.begin(), coverWindows.end())};
}

std::vector<Call> expectedOrder(const Held& h)
{
    std::vector<Call> order{
        {"curl_global_cleanup", nullptr},
        {"SDL_DestroyTexture", h.paper},
        {"SDL_DestroyTexture", h.line},
        {"TTF_CloseFont", h.font},
        {"SDL_DestroyRenderer", h.renderer},
        {"SDL_DestroyWindow", h.window},
    };
    // The other monitors' windows go with the page's.
    for (const void* cover : h.covers)
        order.push_back({"SDL_DestroyWindow", cover});
    for (const char* rest : {"closeTrace", "IMG_Quit", "SDL_Quit", "TTF_Quit"})
        order.push_back({rest, nullptr});
    return order;
}

void expectEverythingReleased()
{
    const DisplayContext& d = displayContext;
    EXPECT_EQ(d.paperTexture, nullptr);
    EXPECT_EQ(d.lineTexture, nullptr);
    EXPECT_EQ(d.font, nullptr);
    EXPECT_EQ(d.renderer, nullptr);
    EXPECT_EQ(d.window, nullptr);
    EXPECT_TRUE(coverWindows.empty());
    EXPECT_EQ(SDL_WasInit(0), 0u) << "SDL still running";
    EXPECT_EQ(TTF_WasInit(), 0) << "SDL_ttf still running";
}

void expectOrderlyShutdown(const Held& held)
{
    calls.clear();
    recording = true;
    shutdownSaver();
    recording = false;
    EXPECT_EQ(calls, expectedOrder(held));
    expectEverythingReleased();
}

TEST(Shutdown, ReleasesInAFixedOrderEndingWithTheFontLibrary)
{
    const Held held = runOneFrame("Pack my box with five dozen liquor jugs.");
    // One window for each monitor the page does not show on.
    ASSERT_EQ(held.covers.size(), static_cast<size_t>(SDL_GetNumVideoDisplays() - 1));
    ASSERT_NE(held.paper, nullptr);
    ASSERT_NE(held.line, nullptr);
    ASSERT_NE(held.paper, held.line);
    expectOrderlyShutdown(held);
}

// An empty last line leaves no line texture; the call is made all the same.
TEST(Shutdown, CallsEveryReleaseEvenForAnEmptyLineTexture)
{
    const Held held = runOneFrame("");
    ASSERT_NE(held.paper, nullptr);
    ASSERT_EQ(held.line, nullptr);
    expectOrderlyShutdown(held);
}

} // namespace
