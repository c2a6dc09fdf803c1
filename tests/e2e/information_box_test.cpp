// The settings and password switches answer with an information box and do
// not show the saver. The box is a real X window closed with a real key.
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace e2e;

namespace {
struct BoxCase {
    const char* name;
    std::vector<std::string> switches;
    const char* mode;
    const char* text;
    std::vector<std::string> traceAfterBox;
};

const BoxCase boxCases[] = {
    {"Settings", {"/c"}, "1", "There is nothing to configure.", {}},
    {"SettingsWithHandle", {"/c:123"}, "1", "There is nothing to configure.", {}},
    {"Password", {"/a", "99"}, "2", "There is no password setting", {"returning from password"}},
};

class InformationBox : public testing::TestWithParam<BoxCase> {};
}

TEST_P(InformationBox, WaitsForTheUserThenEndsWithCodeZero)
{
    const BoxCase& c = GetParam();
    clearTrace();
    ChildProcess saver(commandLine(tracedSaverProgram(), c.switches));
    ASSERT_TRUE(saver.started());

    std::optional<TopLevelWindow> box = waitForWindow(boxCaption, 10s);
    ASSERT_TRUE(box.has_value()) << "no box; standard error: " << saver.standardError();
    EXPECT_FALSE(windowExists(saverWindowName));

    // The box is modal: nothing after it happens while it is up.
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(saver.running());
    EXPECT_EQ(traceLines(), traceHeader(c.mode));

    ASSERT_TRUE(closeBoxWithReturn(*box));
    std::optional<int> code = saver.waitForExit(5s);
    ASSERT_TRUE(code.has_value()) << "the box did not close on Return";
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(traceLines(), traceOf(c.mode, c.traceAfterBox));
    EXPECT_FALSE(windowExists(boxCaption));
    // Shown as a box, so nothing went to the console.
    EXPECT_EQ(saver.standardOutput(), "");
    EXPECT_EQ(saver.standardError(), "");
}

TEST_P(InformationBox, WithoutADisplayTheMessageGoesToStandardError)
{
    const BoxCase& c = GetParam();
    LaunchOptions options;
    options.environment["DISPLAY"] = std::nullopt;
    options.environment["WAYLAND_DISPLAY"] = std::nullopt;
    // Where libwayland, asked for a display no one named, would complain.
    options.environment["XDG_RUNTIME_DIR"] = std::nullopt;
    clearTrace();
    ChildProcess saver(commandLine(tracedSaverProgram(), c.switches), options);
    ASSERT_TRUE(saver.started());
    std::optional<int> code = saver.waitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "did not end without a display";
    EXPECT_EQ(*code, 0);
    std::string errors = saver.standardError();
    EXPECT_NE(errors.find(c.text), std::string::npos) << errors;
    // The box's one line and nothing else.
    EXPECT_EQ(errors.rfind(std::string(boxCaption) + ": ", 0), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(saver.standardOutput(), "");
    EXPECT_EQ(traceLines(), traceOf(c.mode, c.traceAfterBox));
}

INSTANTIATE_TEST_SUITE_P(Switches, InformationBox, testing::ValuesIn(boxCases),
    [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });
