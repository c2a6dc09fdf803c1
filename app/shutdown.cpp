#include "app/run_path.h"

#include "diag/trace.h"
#include "display/display_setup.h"
#include "display/monitor_covers.h"

#include <SDL_image.h>
#include <curl/curl.h>

void shutdownSaver()
{
    DisplayContext& d = displayContext;
    curl_global_cleanup();
    SDL_DestroyTexture(d.paperTexture);
    d.paperTexture = nullptr;
    SDL_DestroyTexture(d.lineTexture);
    d.lineTexture = nullptr;
    TTF_CloseFont(d.font);
    d.font = nullptr;
    SDL_DestroyRenderer(d.renderer);
    SDL_DestroyWindow(d.window);
    releaseCovers();
    d.window = nullptr;
    d.renderer = nullptr;
    closeTrace();
    IMG_Quit();
    SDL_Quit();
    // The font library goes last, after SDL.
    TTF_Quit();
}
