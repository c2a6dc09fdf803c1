// A saver whose paper picture or font is missing or unreadable, or that has no
// display to show itself on, ends at once with code 1, says so in its trace
// and shows no box.
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;

namespace {
struct AssetCase {
    const char* name;
    AssetFile paper;
    AssetFile font;
    const char* traced; // the trace's last line, if any after display setup
    const char* display = nullptr; // DISPLAY: the test's own, or "" for unset
    const char* message = "";      // what standard error must say
};

// Where the paper fails the font is a FIFO: opening it would block for good,
// so a prompt exit shows the font was never touched.
const AssetCase assetCases[] = {
    {"NoPaper", AssetFile::Missing, AssetFile::Fifo, " cant find texture"},
    {"UnreadablePaper", AssetFile::Garbage, AssetFile::Fifo, " cant find texture"},
    {"NoPaperNoFont", AssetFile::Missing, AssetFile::Missing, " cant find texture"},
    {"NoFont", AssetFile::Real, AssetFile::Missing, " cant find font"},
    {"UnreadableFont", AssetFile::Real, AssetFile::Garbage, " cant find font"},
    // Never SDL's fallback to a driver that shows nothing.
    {"NoDisplay", AssetFile::Real, AssetFile::Real, nullptr, "", "no display to show the saver on"},
    {"DisplayWithoutServer", AssetFile::Real, AssetFile::Real, nullptr, ":4321", "no display to show the saver on"},
};

class MissingAsset : public testing::TestWithParam<AssetCase> {};
}

TEST_P(MissingAsset, EndsWithCodeOneAfterDisplaySetup)
{
    const AssetCase& c = GetParam();
    SaverCopy copy(tracedSaverProgram(), c.paper, c.font);
    LaunchOptions options;
    if (c.display) {
        options.environment["DISPLAY"] = *c.display ? std::optional<std::string>(c.display) : std::nullopt;
        options.environment["WAYLAND_DISPLAY"] = std::nullopt;
        // Where libwayland, asked for a display no one named, would complain.
        options.environment["XDG_RUNTIME_DIR"] = std::nullopt;
    }
    clearTrace();
    ChildProcess saver(commandLine(copy.program(), {}), options);
    ASSERT_TRUE(saver.started());
    std::optional<int> code = saver.waitForExit(5s);
    ASSERT_TRUE(code.has_value()) << "did not end (blocked opening the font?)";
    EXPECT_EQ(*code, 1);
    std::vector<std::string> traced{"start init", "return from init"};
    if (c.traced)
        traced.push_back(c.traced);
    EXPECT_EQ(traceLines(), traceOf("0", traced));
    EXPECT_FALSE(windowExists(saverWindowName));
    EXPECT_FALSE(windowExists(boxCaption));
    EXPECT_EQ(saver.standardOutput(), "");
    if (*c.message) {
        // Its own line and nothing else.
        const std::string errors = saver.standardError();
        EXPECT_EQ(errors.rfind(std::string("Tapwrite Screen Saver: ") + c.message, 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    } else
        EXPECT_EQ(saver.standardError(), "");
}

INSTANTIATE_TEST_SUITE_P(Assets, MissingAsset, testing::ValuesIn(assetCases),
    [](const testing::TestParamInfo<AssetCase>& info) { return std::string(info.param.name); });
