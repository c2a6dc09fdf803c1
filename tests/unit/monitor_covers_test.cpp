#include "display/monitor_covers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::string text(const std::vector<SDL_Rect>& areas)
{
    std::string out;
    for (const SDL_Rect& r : areas)
        out += std::to_string(r.w) + "x" + std::to_string(r.h) + "+" + std::to_string(r.x) + "+" + std::to_string(r.y) + " ";
    return out;
}

struct CoverCase {
    const char* name;
    std::vector<MonitorArea> monitors;
    std::string covered;
};

TEST(AreasToCover, EverythingButThePage)
{
    const SDL_Rect page{0, 0, 1920, 1080};
    const CoverCase cases[] = {
        {"the page's monitor alone", {{0, 0, 1920, 1080}}, ""},
        {"a monitor beside it", {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}, "1280x1024+1920+0 "},
        {"one monitor made of both outputs", {{0, 0, 3200, 1080}}, "1280x1080+1920+0 "},
        {"a smaller mirror shows only page", {{0, 0, 1920, 1080}, {0, 0, 1280, 1024}}, ""},
        {"a larger mirror", {{0, 0, 1920, 1080}, {0, 0, 2560, 1440}}, "2560x360+0+1080 640x1080+1920+0 "},
        {"the same monitor twice", {{1920, 0, 1280, 1024}, {1920, 0, 1280, 1024}}, "1280x1024+1920+0 "},
        {"a monitor around the page", {{-100, -50, 2120, 1180}}, "2120x50+-100+-50 2120x50+-100+1080 100x1080+-100+0 100x1080+1920+0 "},
        {"none known", {}, ""},
    };
    for (const CoverCase& c : cases)
        EXPECT_EQ(text(areasToCover(c.monitors, page)), c.covered) << c.name;
}
}
