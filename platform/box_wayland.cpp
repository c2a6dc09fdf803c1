#include "platform/box_wayland.h"

namespace {
SDL_Window* parent = nullptr;
}

void makeWayForBoxes(SDL_Window* page, const std::vector<SDL_Window*>& covers)
{
    for (SDL_Window* cover : covers)
        SDL_HideWindow(cover);
    SDL_HideWindow(page);
    parent = page;
}

SDL_Window* waylandBoxParent()
{
    return parent;
}
