#include "display/page_reshape.h"

#include "display/display_setup.h"
#include "display/page_layout.h"
#include "display/renderer_setup.h"
#include "platform/platform.h"

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
    // The textures belong to the old renderer and go with it.
    SDL_DestroyTexture(d.paperTexture);
    SDL_DestroyTexture(d.lineTexture);
    d.lineTexture = nullptr;
    SDL_DestroyRenderer(d.renderer);
    SDL_DestroyWindow(d.window);
    d.window = window;
    d.renderer = renderer;
    d.paperTexture = loadPaperTexture(renderer);
    return true;
}
