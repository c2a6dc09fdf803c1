#include "app/host_window_request.h"

#include <gtest/gtest.h>

TEST(WindowId, DecimalOrHexWithinThirtyTwoBits)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> id;
    };
    const Case cases[] = {
        {"12345", 12345u},
        {"0x600008", 0x600008u},
        {"0XABCDEF", 0xabcdefu},
        {"0xabcdef", 0xabcdefu},
        {"007", 7u},
        {"4294967295", 0xffffffffu},
        {"0xffffffff", 0xffffffffu},
        {"4294967296", std::nullopt},
        {"0x100000000", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"0", std::nullopt},
        {"0x0", std::nullopt},
        {"0x", std::nullopt},
        {"x10", std::nullopt},
        {"12ab", std::nullopt},
        {"0x12g", std::nullopt},
        {" 12", std::nullopt},
        {"12 ", std::nullopt},
        {"+12", std::nullopt},
        {"-12", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseWindowId(c.text), c.id) << "text: [" << c.text << "]";
}

TEST(HostWindowRequest, SwitchBeforeVariableAndOnlyAfterTheProgramPath)
{
    struct Case {
        const char* commandLine;
        const char* variable;
        bool named;
        const char* source;
        const char* text;
    };
    const Case cases[] = {
        {"tapwrite --root", nullptr, false, "", ""},
        {"tapwrite --root", "", false, "", ""},
        {"tapwrite --root", "0x600008", true, "XSCREENSAVER_WINDOW", "0x600008"},
        {"tapwrite -window-id 77", nullptr, true, "-window-id", "77"},
        {"tapwrite --root --window-id 0x4a", "0x600008", true, "--window-id", "0x4a"},
        {"tapwrite  -window-id   77  ", nullptr, true, "-window-id", "77"},
        {"tapwrite -window-id", "0x600008", true, "-window-id", ""},
        {"tapwrite -window-id=77", nullptr, false, "", ""},
        {"\"/opt/x -window-id 5/tapwrite\" /s", nullptr, false, "", ""},
    };
    for (const Case& c : cases) {
        HostWindowRequest r = hostWindowRequest(c.commandLine, c.variable);
        EXPECT_EQ(r.named, c.named) << "[" << c.commandLine << "]";
        EXPECT_EQ(r.source, c.source) << "[" << c.commandLine << "]";
        EXPECT_EQ(r.text, c.text) << "[" << c.commandLine << "]";
    }
}
