#pragma once
// The page's window and what it is drawn with: opened (or a host's window
// adopted), made again on another output, laid out anew for new pixels, and
// let go. Nothing else opens, remakes or releases these handles.
#include "display/asset_paths.h"
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <vector>

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
// Where the page's window stands: display 0, as the layout puts it, or on
// Wayland the output it was made again on. Set once the window is open.
extern SDL_Rect pageArea;

// Opens the desktop-sized window (or adopts a host's window, laid out for its
// size) with an accelerated renderer, prepared for its first frame. On
// Wayland the page is laid out for the window's own pixels. False when any of
// it fails, or in a host's window that cannot be drawn into (said once on
// standard error).
bool openPageWindow();
// Loads the paper picture and opens the font. False when either is missing.
bool loadAssets();
// The paper picture as a texture of this renderer; nullptr when it cannot be had.
SDL_Texture* loadPaperTexture(SDL_Renderer* renderer);

struct PageLayout;
// The font at the point size the layout gives; nullptr when it cannot be opened.
TTF_Font* openPageFont(const PageLayout& layout);

// The page laid out for a window of this size, with the font at its new size;
// false, with the page as it was, when the size is the layout's own or the
// font cannot be opened at it.
bool layPageOutAnew(int width, int height);
// A host's window that changes size (a settings dialog resized, a preview
// pane that grows) gets the page laid out anew, as a hack reshapes: the
// paper, the font and so the lines with it; the typing goes on where it was.
// Nothing outside host mode, where the page keeps the desktop's size.
void reshapePage(int width, int height);
// On Wayland: lays the page out again, with the font to match, when its
// window's pixels changed (the output's scale reached it). Nothing elsewhere.
void followPageWindowPixels();

// Where the page stands among these monitors: the one that holds the centre
// of where it stood, else the first.
SDL_Rect areaKeepingPage(const std::vector<MonitorArea>& monitors, const SDL_Rect& page);
// On Wayland: the page's window made again, full screen on the output of the
// area, with its renderer and paper, and the area its own; the typing goes on
// where it was. False, with the old window and area kept, when the new window
// cannot be had.
bool reopenPageWindow(const SDL_Rect& area);

// Destroys the paper and line textures, closes the font, destroys the
// renderer and the window, and empties their fields.
void releasePageWindow();
