// Whether the outputs are dark, as each window system tells it: Windows' console
// display setting read from its bytes, and a Wayland compositor's mode events
// fed to the listeners the saver gives it.
#include "platform/console_display.h"
#include "platform/power_wayland.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
// A POWERBROADCAST_SETTING as Windows lays it out: GUID, data length, data.
std::vector<unsigned char> setting(const unsigned char* guid, std::uint32_t dataLength, std::uint32_t state)
{
    std::vector<unsigned char> bytes(guid, guid + 16);
    for (std::uint32_t value : {dataLength, state})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(value >> shift));
    return bytes;
}

const unsigned char otherGuid[16] = {0x56, 0x95, 0xe6, 0x6f, 0x4a, 0x70, 0xa0, 0x47, 0x8f, 0x24, 0xc2, 0x8d,
    0x93, 0x6f, 0xda, 0x48};
}

TEST(ConsoleDisplay, ReadFromThePowerSettingsBytes)
{
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        std::size_t cut; // bytes left off the end
        ConsoleDisplay state;
    };
    const Case cases[] = {
        {"off", setting(consoleDisplayGuid, 4, 0), 0, ConsoleDisplay::Off},
        {"on", setting(consoleDisplayGuid, 4, 1), 0, ConsoleDisplay::On},
        {"dimmed", setting(consoleDisplayGuid, 4, 2), 0, ConsoleDisplay::Dimmed},
        {"a state Windows does not name", setting(consoleDisplayGuid, 4, 3), 0, ConsoleDisplay::NotTold},
        {"another setting", setting(otherGuid, 4, 0), 0, ConsoleDisplay::NotTold},
        {"data shorter than a state", setting(consoleDisplayGuid, 2, 0), 0, ConsoleDisplay::NotTold},
        {"a length past the bytes given", setting(consoleDisplayGuid, 8, 0), 0, ConsoleDisplay::NotTold},
        {"cut in the state", setting(consoleDisplayGuid, 4, 0), 1, ConsoleDisplay::NotTold},
        {"cut in the GUID", setting(consoleDisplayGuid, 4, 0), 16, ConsoleDisplay::NotTold},
    };
    for (const Case& c : cases) {
        // Copied to a block of exactly that size, so a read past it is caught.
        std::vector<unsigned char> exact(c.bytes.begin(), c.bytes.end() - static_cast<std::ptrdiff_t>(c.cut));
        EXPECT_EQ(consoleDisplayIn(exact.data(), exact.size()), c.state) << c.name;
    }
    EXPECT_EQ(consoleDisplayIn(nullptr, 0), ConsoleDisplay::NotTold);
}

TEST(OutputPower, DarkOnlyWhenTheCompositorTellsEveryOutputOff)
{
    // The events as the compositor sends them, one list per output.
    using Event = void (*)(void* output);
    const Event WlrootsOn = [](void* o) { wlrootsPowerListener.mode(o, nullptr, ZWLR_OUTPUT_POWER_V1_MODE_ON); };
    const Event WlrootsOff = [](void* o) { wlrootsPowerListener.mode(o, nullptr, ZWLR_OUTPUT_POWER_V1_MODE_OFF); };
    const Event WlrootsFailed = [](void* o) { wlrootsPowerListener.failed(o, nullptr); };
    const Event KdeSupported = [](void* o) { kdePowerListener.supported(o, nullptr, 1); };
    const Event KdeUnsupported = [](void* o) { kdePowerListener.supported(o, nullptr, 0); };
    const Event KdeOn = [](void* o) { kdePowerListener.mode(o, nullptr, ORG_KDE_KWIN_DPMS_MODE_ON); };
    const Event KdeStandby = [](void* o) { kdePowerListener.mode(o, nullptr, ORG_KDE_KWIN_DPMS_MODE_STANDBY); };
    const Event KdeSuspend = [](void* o) { kdePowerListener.mode(o, nullptr, ORG_KDE_KWIN_DPMS_MODE_SUSPEND); };
    const Event KdeOff = [](void* o) { kdePowerListener.mode(o, nullptr, ORG_KDE_KWIN_DPMS_MODE_OFF); };
    const Event KdeDone = [](void* o) { kdePowerListener.done(o, nullptr); };
    struct Case {
        const char* name;
        std::vector<std::vector<Event>> outputs;
        bool dark;
    };
    std::vector<Event> flapping;
    for (int i = 0; i < 50; ++i)
        flapping.insert(flapping.end(), {WlrootsOff, WlrootsOn});
    std::vector<Event> flappingToOff = flapping;
    flappingToOff.push_back(WlrootsOff);
    const Case cases[] = {
        {"no output", {}, false},
        {"an output nothing was told of", {{}}, false},
        {"one off", {{WlrootsOff}}, true},
        {"off, then on again", {{WlrootsOff, WlrootsOn}}, false},
        {"off and on fifty times", {flapping}, false},
        {"off and on fifty times, then off", {flappingToOff}, true},
        {"both off", {{WlrootsOff}, {WlrootsOn, WlrootsOff}}, true},
        {"one of two still on", {{WlrootsOff}, {WlrootsOn}}, false},
        {"refused by the compositor", {{WlrootsOff, WlrootsFailed}}, false},
        {"KWin: off", {{KdeSupported, KdeOff, KdeDone}}, true},
        {"KWin: standby and suspend are dark too", {{KdeSupported, KdeStandby}, {KdeSupported, KdeSuspend}}, true},
        {"KWin: on", {{KdeSupported, KdeOn, KdeDone}}, false},
        {"KWin: no power saving on the output", {{KdeUnsupported, KdeOff}}, false},
    };
    for (const Case& c : cases) {
        std::vector<OutputPower> powers(c.outputs.size());
        std::vector<const OutputPower*> told;
        for (std::size_t i = 0; i < c.outputs.size(); ++i) {
            for (Event event : c.outputs[i])
                event(&powers[i]);
            told.push_back(&powers[i]);
        }
        EXPECT_EQ(everyOutputOff(told), c.dark) << c.name;
    }
}
