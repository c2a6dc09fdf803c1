#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {
// Handle value the decoder must not have touched.
constexpr WindowHandle untouched = 0x5a5a5a5a5a;

struct CommandLineCase {
    const char* commandLine;
    RunMode mode;
    WindowHandle handle;
};

void PrintTo(const CommandLineCase& c, std::ostream* os)
{
    *os << "[" << c.commandLine << "]";
}

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {
protected:
    void TearDown() override { platformSetCommandLineForTest(nullptr); }
};

TEST_P(CommandLineTest, DecodesModeAndHandle)
{
    const CommandLineCase& c = GetParam();
    platformSetCommandLineForTest(c.commandLine);
    WindowHandle handle = untouched;
    EXPECT_EQ(parseCommandLine(handle), c.mode) << "command line: [" << c.commandLine << "]";
    EXPECT_EQ(handle, c.handle) << "command line: [" << c.commandLine << "]";
}

// The foreground window on POSIX is 0.
constexpr WindowHandle foreground = 0;

INSTANTIATE_TEST_SUITE_P(Switches, CommandLineTest,
    ::testing::Values(
        // No switch: runs the saver, handle cleared.
        CommandLineCase{"saver.scr", ModeNone, 0},
        CommandLineCase{"saver.scr ", ModeNone, 0},
        CommandLineCase{"saver.scr     ", ModeNone, 0},
        CommandLineCase{"", ModeNone, 0},
        // Run: the handle is never written.
        CommandLineCase{"saver.scr /s", ModeRun, untouched},
        CommandLineCase{"saver.scr /S", ModeRun, untouched},
        CommandLineCase{"saver.scr -s", ModeRun, untouched},
        CommandLineCase{"saver.scr s", ModeRun, untouched},
        CommandLineCase{"saver.scr /save", ModeRun, untouched},
        CommandLineCase{"saver.scr    /s 123", ModeRun, untouched},
        // Quoted program paths.
        CommandLineCase{"\"C:\\My Savers\\saver.scr\" /s", ModeRun, untouched},
        CommandLineCase{"\"C:\\My Savers\\saver.scr\"/s", ModeRun, untouched},
        CommandLineCase{"\"C:\\My Savers\\saver.scr /s", ModeNone, 0},
        CommandLineCase{"\"C:\\My Savers\\saver.scr\"", ModeNone, 0},
        CommandLineCase{"\"\" /p 5", ModePreview, 5},
        // Only a blank ends an unquoted path.
        CommandLineCase{"saver.scr\t/s", ModeNone, 0},
        // Configure: the foreground window when nothing follows.
        CommandLineCase{"saver.scr /c", ModeConfigure, foreground},
        CommandLineCase{"saver.scr /C", ModeConfigure, foreground},
        CommandLineCase{"saver.scr /c  : ", ModeConfigure, foreground},
        CommandLineCase{"saver.scr /c:123", ModeConfigure, 123},
        CommandLineCase{"saver.scr /c 123", ModeConfigure, 123},
        CommandLineCase{"saver.scr /c: :123", ModeConfigure, 123},
        CommandLineCase{"saver.scr /c:abc", ModeConfigure, 0},
        CommandLineCase{"saver.scr /c:-5", ModeConfigure, static_cast<WindowHandle>(-5)},
        CommandLineCase{"saver.scr c:42x", ModeConfigure, 42},
        // Preview, by P or L.
        CommandLineCase{"saver.scr /p 777", ModePreview, 777},
        CommandLineCase{"saver.scr /l 777", ModePreview, 777},
        CommandLineCase{"saver.scr /P:777", ModePreview, 777},
        CommandLineCase{"saver.scr -L 777", ModePreview, 777},
        CommandLineCase{"saver.scr /p", ModePreview, 0},
        CommandLineCase{"saver.scr /preview 777", ModePreview, 0},
        CommandLineCase{"saver.scr /p +12", ModePreview, 12},
        // Password.
        CommandLineCase{"saver.scr /a 99", ModePassword, 99},
        CommandLineCase{"saver.scr /A:99", ModePassword, 99},
        CommandLineCase{"saver.scr a", ModePassword, 0},
        // Unknown switches run the saver with no parent window.
        CommandLineCase{"saver.scr /x 5", ModeNone, 0},
        CommandLineCase{"saver.scr /5", ModeNone, 0},
        CommandLineCase{"saver.scr //s", ModeNone, 0},
        CommandLineCase{"saver.scr --s", ModeNone, 0},
        CommandLineCase{"saver.scr /", ModeNone, 0},
        CommandLineCase{"saver.scr -", ModeNone, 0},
        CommandLineCase{"saver.scr /\xe9", ModeNone, 0}),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) { return "line" + std::to_string(info.index); });

TEST(CommandLineHandle, MinusFiveSetsEveryUpperBit)
{
    platformSetCommandLineForTest("saver.scr /c:-5");
    WindowHandle handle = 0;
    EXPECT_EQ(parseCommandLine(handle), ModeConfigure);
    EXPECT_EQ(static_cast<std::uint64_t>(handle), 0xFFFFFFFFFFFFFFFBull);
    platformSetCommandLineForTest(nullptr);
}

struct NumberCase {
    const char* text;
    std::int32_t value;
};

TEST(HandleNumber, ReadsLikeAtoiWithoutOverflow)
{
    const NumberCase cases[] = {
        {"", 0},
        {"abc", 0},
        {"123", 123},
        {"  \t42", 42},
        {"-5", -5},
        {"+7", 7},
        {"- 7", 0},
        {"12ab34", 12},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MAX},
        {"99999999999999999999999999", INT32_MAX},
        {"-99999999999999999999999999", INT32_MIN},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(parseHandleNumber(c.text), c.value) << "text: [" << c.text << "]";
}

// The command line built from argv is what Windows would hand over.
TEST(PlatformCommandLine, BuiltFromArguments)
{
    struct ArgvCase {
        std::vector<std::string> argv;
        std::string line;
    };
    const ArgvCase cases[] = {
        {{"/usr/bin/tapwrite"}, "/usr/bin/tapwrite"},
        {{"/usr/bin/tapwrite", "/s"}, "/usr/bin/tapwrite /s"},
        {{"/opt/my savers/tapwrite", "/p", "777"}, "\"/opt/my savers/tapwrite\" /p 777"},
        {{"tapwrite", "/c:12", ""}, "tapwrite /c:12 "},
    };
    for (const ArgvCase& c : cases) {
        std::vector<char*> argv;
        for (const std::string& a : c.argv)
            argv.push_back(const_cast<char*>(a.c_str()));
        platformSetArguments(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(std::string(platformCommandLine()), c.line);
    }
    // A path with blanks decodes through the quotes.
    std::string path = "/opt/my savers/tapwrite";
    std::string preview = "/p";
    std::string number = "31";
    char* argv[] = {path.data(), preview.data(), number.data()};
    platformSetArguments(3, argv);
    WindowHandle handle = 0;
    EXPECT_EQ(parseCommandLine(handle), ModePreview);
    EXPECT_EQ(handle, 31);
}
}
