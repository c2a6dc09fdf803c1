#pragma once
// The window, renderer and the two assets the page is drawn with.
#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

struct DisplayContext {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* paperTexture = nullptr;
    TTF_Font* font = nullptr;
    SDL_Texture* lineTexture = nullptr;
    int lineTextureWidth = 0;
    int lineTextureHeight = 0;
    SDL_Color textColour{0, 0, 0, 0};
};

extern DisplayContext displayContext;

// Seeds the generator, opens the desktop-sized window (or adopts a host's
// window, laid out for its size) with an accelerated renderer and starts the
// image and font libraries. False when any of it fails.
bool initDisplay();
// Loads the paper picture and opens the font. False when either is missing.
bool loadAssets();
// The paper picture as a texture of this renderer; nullptr when it cannot be had.
SDL_Texture* loadPaperTexture(SDL_Renderer* renderer);
// On Wayland: lays the page out again, with the font to match, when its
// window's pixels changed (the output's scale reached it). Nothing elsewhere.
void followPageWindowPixels();

struct PageLayout;
// The font at the point size the layout gives; nullptr when it cannot be opened.
TTF_Font* openPageFont(const PageLayout& layout);

// Where the two assets are looked for.
std::string paperPicturePath();
std::string fontPath();
