#include "display/renderer_setup.h"

#include <SDL_image.h>
#include <SDL_ttf.h>

bool prepareRenderer(SDL_Renderer* renderer)
{
    // Read when a texture is made: the paper picture is filtered linearly.
    SDL_SetHint("SDL_RENDER_SCALE_QUALITY", "1");
    // Every clear of the screen paints it black; nothing changes it later.
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0);
    const int imageFlags = IMG_Init(IMG_INIT_PNG);
    const int fontResult = TTF_Init();
    return (imageFlags & IMG_INIT_PNG) != 0 && fontResult != -1;
}

void quitMediaLibraries()
{
    IMG_Quit();
    SDL_Quit();
    // The font library goes last, after SDL.
    TTF_Quit();
}
