#include "display/page_window.h"

#include "diag/trace.h"
#include "display/page_layout.h"
#include "display/renderer_setup.h"
#include "platform/platform.h"

#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <string>

DisplayContext displayContext;
SDL_Rect pageArea{0, 0, 0, 0};

namespace {
// The host's window, laid out for its own size (a preview pane as much as a
// screen). OpenGL on it has to be asked for before adopting it; without that
// the accelerated renderer would try to re-create a window it does not own.
SDL_Window* adoptHostWindow()
{
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    SDL_Window* window = SDL_CreateWindowFrom(platformHostWindow());
    int width = 0;
    int height = 0;
    if (window)
        SDL_GetWindowSize(window, &width, &height);
    if (width <= 0 || height <= 0)
        return nullptr;
    pageLayout = computePageLayout(width, height);
    return window;
}

// Says once why the page cannot go into the host's window, when it cannot.
bool hostWindowTakesPage()
{
    std::string reason;
    if (platformHostWindowDrawable(displayContext.window, reason) && displayContext.renderer)
        return true;
    std::fprintf(stderr, "Tapwrite Screen Saver: cannot draw into the host's window: %s\n",
        reason.empty() ? SDL_GetError() : reason.c_str());
    return false;
}

bool videoDriverIs(const char* name)
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, name) == 0;
}

// Windows puts the page's window, made as it is, with its client area exactly
// on the monitor. Under X the window is the saver's own, unmanaged, and stands
// where it is put: on display 0. Elsewhere it asks to fill its monitor on the
// desktop's own mode.
Uint32 pageWindowFlags()
{
    if (videoDriverIs("windows"))
        return SDL_WINDOW_SHOWN;
    if (videoDriverIs("x11"))
        return SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS;
    return SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP;
}

// Under X the page's window stands where it is put. On Wayland the
// compositor places every window: the page's is made full screen on display
// 0's output, and laid out for that output's own pixels (twice its size in the
// desk's units at a scale of 2).
SDL_Window* openDesktopWindow(const SDL_DisplayMode& mode)
{
    if (SDL_GetDisplayBounds(0, &pageArea) != 0)
        pageArea = {0, 0, mode.w, mode.h};
    if (platformWindowsFillOutputs())
        return platformOpenOutputWindow("Tapwrite Screen Saver", {pageArea.x, pageArea.y, pageArea.w, pageArea.h});
    const bool placed = videoDriverIs("x11");
    platformOwnNewWindows();
    return SDL_CreateWindow("Tapwrite Screen Saver", placed ? pageArea.x : SDL_WINDOWPOS_UNDEFINED,
        placed ? pageArea.y : SDL_WINDOWPOS_UNDEFINED, pageLayout.screenWidth, pageLayout.screenHeight,
        pageWindowFlags());
}

// The textures, the font when asked, the renderer and the window, in the
// order they must go, with their fields emptied.
void letGoOfWindow(bool withFont)
{
    DisplayContext& d = displayContext;
    SDL_DestroyTexture(d.paperTexture);
    d.paperTexture = nullptr;
    SDL_DestroyTexture(d.lineTexture);
    d.lineTexture = nullptr;
    if (withFont) {
        TTF_CloseFont(d.font);
        d.font = nullptr;
    }
    SDL_DestroyRenderer(d.renderer);
    d.renderer = nullptr;
    SDL_DestroyWindow(d.window);
    d.window = nullptr;
}

// The page's window in the pixels its renderer draws; false while unknown.
bool pageWindowPixels(int& width, int& height)
{
    return SDL_GetRendererOutputSize(displayContext.renderer, &width, &height) == 0 && width > 0 && height > 0;
}
}

bool openPageWindow()
{
    bool ready = false;
    if (platformHostWindowMode()) {
        displayContext.window = adoptHostWindow();
    } else {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
            return false;
        pageLayout = computePageLayout(mode.w, mode.h);
        displayContext.window = openDesktopWindow(mode);
    }
    if (displayContext.window) {
        displayContext.renderer = SDL_CreateRenderer(displayContext.window, -1, SDL_RENDERER_ACCELERATED);
        if (displayContext.renderer)
            ready = prepareRenderer(displayContext.renderer);
    }
    if (platformHostWindowMode())
        return hostWindowTakesPage() && ready;
    int width = 0;
    int height = 0;
    if (ready && platformWindowsFillOutputs() && pageWindowPixels(width, height))
        pageLayout = computePageLayout(width, height);
    return ready;
}

TTF_Font* openPageFont(const PageLayout& layout)
{
    return TTF_OpenFont(fontPath().c_str(), fontPointSize(layout));
}

SDL_Texture* loadPaperTexture(SDL_Renderer* renderer)
{
    SDL_Texture* texture = nullptr;
    if (SDL_Surface* surface = IMG_Load(paperPicturePath().c_str())) {
        texture = SDL_CreateTextureFromSurface(renderer, surface);
        SDL_FreeSurface(surface);
    }
    return texture;
}

bool loadAssets()
{
    displayContext.paperTexture = loadPaperTexture(displayContext.renderer);
    if (!displayContext.paperTexture) {
        trace(" cant find texture");
        return false;
    }
    displayContext.font = openPageFont(pageLayout);
    if (!displayContext.font) {
        trace(" cant find font");
        return false;
    }
    return true;
}

bool layPageOutAnew(int width, int height)
{
    if (width == pageLayout.screenWidth && height == pageLayout.screenHeight)
        return false;
    const PageLayout layout = computePageLayout(width, height);
    // Without the font at the new size the page stays as it was.
    TTF_Font* font = openPageFont(layout);
    if (!font)
        return false;
    TTF_CloseFont(displayContext.font);
    displayContext.font = font;
    pageLayout = layout;
    return true;
}

void reshapePage(int width, int height)
{
    if (platformHostWindowMode())
        layPageOutAnew(width, height);
}

void followPageWindowPixels()
{
    // A Wayland window learns its output's scale only once it shows there;
    // until then SDL takes the largest of all outputs.
    if (!platformWindowsFillOutputs() || !displayContext.renderer || !displayContext.font)
        return;
    int width = 0;
    int height = 0;
    if (pageWindowPixels(width, height))
        layPageOutAnew(width, height);
}

SDL_Rect areaKeepingPage(const std::vector<MonitorArea>& monitors, const SDL_Rect& page)
{
    const SDL_Point centre{page.x + page.w / 2, page.y + page.h / 2};
    for (const MonitorArea& m : monitors) {
        const SDL_Rect area{m.x, m.y, m.width, m.height};
        if (SDL_PointInRect(&centre, &area))
            return area;
    }
    if (monitors.empty())
        return page;
    return {monitors.front().x, monitors.front().y, monitors.front().width, monitors.front().height};
}

bool reopenPageWindow(const SDL_Rect& area)
{
    DisplayContext& d = displayContext;
    SDL_Window* window = platformOpenOutputWindow("Tapwrite Screen Saver", {area.x, area.y, area.w, area.h});
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (!renderer || !prepareRenderer(renderer)) {
        SDL_DestroyRenderer(renderer);
        SDL_DestroyWindow(window);
        return false;
    }
    // The textures belong to the old renderer and go with it; the font stays.
    letGoOfWindow(false);
    d.window = window;
    d.renderer = renderer;
    d.paperTexture = loadPaperTexture(renderer);
    pageArea = area;
    return true;
}

void releasePageWindow()
{
    letGoOfWindow(true);
}
