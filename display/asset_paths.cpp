#include "display/asset_paths.h"

#include <SDL.h>

#ifdef _WIN32
std::string paperPicturePath()
{
    return "C:/Program Files/Korvane/Tapwrite Screensaver/tapwritefiles/typingPaper.bmp";
}

std::string fontPath()
{
    return "C:/Program Files/Korvane/Tapwrite Screensaver/tapwritefiles/gtw.ttf";
}
#else
// Beside the executable, so the same binary works in the build tree and installed.
namespace {
std::string assetFolder()
{
    static const std::string folder = [] {
        std::string base;
        if (char* path = SDL_GetBasePath()) {
            base = path;
            SDL_free(path);
        }
        return base + "tapwritefiles/";
    }();
    return folder;
}
}

std::string paperPicturePath()
{
    return assetFolder() + "typingPaper.bmp";
}

std::string fontPath()
{
    return assetFolder() + "gtw.ttf";
}
#endif
