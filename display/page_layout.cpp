#include "display/page_layout.h"

#include <algorithm>

PageLayout pageLayout;

PageLayout computePageLayout(int screenWidth, int screenHeight)
{
    PageLayout layout;
    layout.screenWidth = screenWidth;
    layout.screenHeight = screenHeight;
    // Every formula in the order written: multiply before divide.
    layout.paperWidth = static_cast<double>(screenWidth) * 0.6;
    layout.paperHeight = layout.paperWidth * 11 / 8.5;
    layout.paperX = (static_cast<double>(screenWidth) - layout.paperWidth) * 0.5;
    layout.paperBaseY = static_cast<double>(screenHeight);
    layout.lineHeight = layout.paperHeight * 0.82 / linesPerPage;
    layout.textX = layout.paperWidth * 0.12 + layout.paperX;
    layout.fontSize = layout.lineHeight * 0.9;
    layout.paperRect.x = static_cast<int>(layout.paperX);
    layout.paperRect.y = 0;
    layout.paperRect.w = static_cast<int>(layout.paperWidth);
    layout.paperRect.h = static_cast<int>(layout.paperHeight);
    return layout;
}

int paperTopFor(const PageLayout& layout, int scrollLines)
{
    return static_cast<int>(layout.paperBaseY - scrollLines * layout.lineHeight);
}

int firstLineTop(const PageLayout& layout, int paperTop)
{
    return static_cast<int>(layout.lineHeight * 5 + paperTop);
}

int nextLineTop(const PageLayout& layout, int lineTop)
{
    return static_cast<int>(lineTop + layout.lineHeight);
}

int fontPointSize(const PageLayout& layout)
{
    // Below about 85 px of width (a small preview pane) the size truncates to
    // 0, which the font library refuses: the smallest it opens with instead.
    return std::max(1, static_cast<int>(layout.fontSize));
}
