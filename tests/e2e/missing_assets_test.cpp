// A saver whose paper picture or font is missing or unreadable ends at once
// with code 1, says so in its trace and shows no box.
#include "e2e_support.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {
struct AssetCase {
    const char* name;
    AssetFile paper;
    AssetFile font;
    const char* traced;
};

// Where the paper fails the font is a FIFO: opening it would block for good,
// so a prompt exit shows the font was never touched.
const AssetCase assetCases[] = {
    {"NoPaper", AssetFile::Missing, AssetFile::Fifo, " cant find texture"},
    {"UnreadablePaper", AssetFile::Garbage, AssetFile::Fifo, " cant find texture"},
    {"NoPaperNoFont", AssetFile::Missing, AssetFile::Missing, " cant find texture"},
    {"NoFont", AssetFile::Real, AssetFile::Missing, " cant find font"},
    {"UnreadableFont", AssetFile::Real, AssetFile::Garbage, " cant find font"},
};

class MissingAsset : public testing::TestWithParam<AssetCase> {};
}

TEST_P(MissingAsset, EndsWithCodeOneAfterDisplaySetup)
{
    const AssetCase& c = GetParam();
    SaverCopy copy(tracedSaverProgram(), c.paper, c.font);
    clearTrace();
    ChildProcess saver(commandLine(copy.program(), {}));
    ASSERT_TRUE(saver.started());
    std::optional<int> code = saver.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "did not end (blocked opening the font?)";
    EXPECT_EQ(*code, 1);
    EXPECT_EQ(traceLines(), traceOf("0", {"start init", "return from init", c.traced}));
    EXPECT_FALSE(windowExists(saverWindowName));
    EXPECT_FALSE(windowExists(boxCaption));
    EXPECT_EQ(saver.standardOutput(), "");
    EXPECT_EQ(saver.standardError(), "");
}

INSTANTIATE_TEST_SUITE_P(Assets, MissingAsset, testing::ValuesIn(assetCases),
    [](const testing::TestParamInfo<AssetCase>& info) { return std::string(info.param.name); });
