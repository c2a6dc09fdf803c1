// Plasma's settings files as Plasma 5 and 6 write them, read as KConfig
// reads them: only the top-level group's own key counts.
#include "idle/session/kconfig_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {
struct FileCase {
    const char* name;
    std::string file;
    std::optional<std::string> timeout;
};

const char* const wallpaper = "[Greeter][Wallpaper][org.kde.image][General]\n"
                              "Image=/usr/share/wallpapers/Next/\nPreviewImage=/usr/share/wallpapers/Next/\n";

TEST(KConfigFile, DaemonTimeoutAsPlasmaReadsIt)
{
    const FileCase cases[] = {
        {"Plasma 6, with a lock-screen wallpaper after", "[Daemon]\nTimeout=10\n\n" + std::string(wallpaper), "10"},
        {"the wallpaper's group first, a Timeout of its own",
            std::string(wallpaper) + "Timeout=99\n\n[Daemon]\nTimeout=10\n", "10"},
        {"Plasma 5, with its [$Version]",
            "[$Version]\nupdate_info=kscreenlocker.upd:0.1-autolock\n\n[Daemon]\nAutolock=false\nTimeout=15\n", "15"},
        {"[$i] on the key", "[Daemon]\nTimeout[$i]=10\n", "10"},
        {"[$e] on the key and on another", "[Daemon]\nTheme[$e]=$HOME/.local/theme\nTimeout[$e]=20\n", "20"},
        {"[$d] deletes it", "[Daemon]\nTimeout=10\nTimeout[$d]\n", std::nullopt},
        {"an immutable key holds", "[Daemon]\nTimeout[$i]=10\nTimeout=20\n", "10"},
        {"an immutable group holds", "[Daemon][$i]\nTimeout=10\n[Daemon]\nTimeout=20\n", "10"},
        {"an immutable file holds", "[$i]\n[Daemon]\nTimeout=10\nTimeout=20\n", "10"},
        {"the last line wins", "[Daemon]\nTimeout=10\n[Other]\nTimeout=1\n[Daemon]\nTimeout=30", "30"},
        {"a locale's is not the key's", "[Daemon]\nTimeout[de]=3\n", std::nullopt},
        {"comments, blank lines, spaces and CR LF", "# by hand\r\n\r\n  [Daemon]  \r\n  Timeout = 7 \r\n#Timeout=8\r\n",
            "7"},
        {"escapes in the group and the value", "[Dae\\x6don]\nTimeout=1\\x32\\s\n", "12 "},
        {"a header left open keeps the group before", "[Other]\n[Daemon\nTimeout=2\n", std::nullopt},
        {"a nested group is another", "[Daemon][Sub]\nTimeout=2\n", std::nullopt},
        {"lines KConfig skips", "[Daemon]\njunk\n=5\nTimeout[de\nTimeout=4\n", "4"},
        {"a key before any group", "Timeout=4\n[Daemon]\n", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const FileCase& c : cases)
        EXPECT_EQ(kconfigValue(c.file, "Daemon", "Timeout"), c.timeout) << c.name;
    // The buffer ends where its length says, not at a terminating zero.
    const std::string longer = "[Daemon]\nTimeout=45";
    EXPECT_EQ(kconfigValue(std::string_view(longer).substr(0, longer.size() - 1), "Daemon", "Timeout"), "4");
}

TEST(KConfigFile, BooleansAsKConfigTakesThem)
{
    for (const char* no : {"false", "FALSE", "Off", "no", "0"})
        EXPECT_FALSE(kconfigTrue(no)) << no;
    for (const char* yes : {"true", "True", "1", "yes", "on", "2", "falsely", ""})
        EXPECT_TRUE(kconfigTrue(yes)) << yes;
}
}
