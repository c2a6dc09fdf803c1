#include "display/page_reshape.h"

#include "display/display_setup.h"
#include "display/page_layout.h"
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
