#include "feedtool/entry_checks.h"

#include "display/page_drawing.h"
#include "display/page_layout.h"
#include "display/page_window.h"

namespace {
// The screens every line is measured on.
constexpr struct {
    int width;
    int height;
} measuredSizes[] = {{1366, 768}, {1920, 1080}};

void checkGlyphs(std::string_view entry, const Place& place, TTF_Font* font, Report& report)
{
    bool missing[256] = {};
    std::string absent;
    for (const char& c : entry) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (!missing[byte] && !TTF_GlyphIsProvided(font, byte)) {
            missing[byte] = true;
            absent += (absent.empty() ? "" : ", ") + quoted(std::string_view(&c, 1));
        }
    }
    if (!absent.empty())
        report.add(Severity::Warning, place, "lines with characters the font lacks",
            "the font has no glyph for " + absent + ": it shows a blank or a box there");
}

void checkPaperEdge(std::string_view entry, const Place& place, const std::vector<MeasuredScreen>& screens,
    Report& report)
{
    const std::string text(entry);
    std::string past;
    for (const MeasuredScreen& screen : screens) {
        // The font's own measure: the saver's floor of a pixel a character
        // would put characters that take no width past the edge.
        const std::optional<std::size_t> fit = measuredFit(screen.font, text, screen.width);
        if (!fit || *fit >= text.size())
            continue;
        past += past.empty() ? "" : " and ";
        past += "at " + screen.name + " after character " + std::to_string(*fit);
        if (*fit > 0)
            past += " (" + quoted(entry.substr(*fit - 1, 1)) + ")";
    }
    if (!past.empty())
        report.add(Severity::Warning, place, "lines past the paper's edge", "runs past the paper's right edge " + past);
}
}

std::vector<MeasuredScreen> openMeasuredScreens()
{
    std::vector<MeasuredScreen> screens;
    for (const auto& size : measuredSizes) {
        const PageLayout layout = computePageLayout(size.width, size.height);
        TTF_Font* font = openPageFont(layout);
        if (!font) {
            closeMeasuredScreens(screens);
            return {};
        }
        screens.push_back({std::to_string(size.width) + "x" + std::to_string(size.height), font,
            layout.paperRect.x + layout.paperRect.w - static_cast<int>(layout.textX)});
    }
    return screens;
}

void closeMeasuredScreens(std::vector<MeasuredScreen>& screens)
{
    for (const MeasuredScreen& screen : screens)
        TTF_CloseFont(screen.font);
    screens.clear();
}

bool holdsUtf8(std::string_view bytes)
{
    char32_t code = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (utf8Character(bytes, i, code) > 1)
            return true;
    return false;
}

void checkEntryText(std::string_view entry, const Place& place, const std::vector<MeasuredScreen>& screens,
    Report& report)
{
    if (holdsUtf8(entry))
        report.add(Severity::Warning, place, "UTF-8 lines",
            "UTF-8 text: each such letter shows as two or three characters: " + quoted(entry));
    checkGlyphs(entry, place, screens.front().font, report);
    checkPaperEdge(entry, place, screens, report);
}
