// The installer, run silently in a fresh Wine prefix: the assets land in the
// folder the saver reads them from, the saver in the 64-bit system folder, and
// the registered uninstaller takes all of it away again.
#include "wine_prefix.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace wine;

namespace {
// The registry key under Add/Remove programs, as `reg query` prints it; empty
// when there is none.
std::string uninstallEntry()
{
    ChildProcess query(wineCommand({"reg", "query", uninstallKey}));
    return query.waitForExit(30s) == 0 ? query.standardOutput() : "";
}

void expectInstalled()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(installFolder()))
        files.push_back(std::filesystem::relative(entry.path(), installFolder()).string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"tapwritefiles", "tapwritefiles/OFL.txt",
                         "tapwritefiles/gtw.ttf", "tapwritefiles/typingPaper.bmp", "uninstall.exe"}));
    for (const char* asset : {"typingPaper.bmp", "gtw.ttf", "OFL.txt"})
        EXPECT_EQ(readWholeFile(installFolder() / "tapwritefiles" / asset), readWholeFile(builtAssets() / asset)) << asset;
    EXPECT_EQ(readWholeFile(installedSaver()), readWholeFile(shippedSaver()));
    // The 64-bit system folder only; the 32-bit one stays clean.
    EXPECT_FALSE(std::filesystem::exists(installedSaver().parent_path().parent_path() / "syswow64" / "tapwrite.scr"));

    std::string entry = uninstallEntry();
    for (const char* value : {"DisplayName    REG_SZ    Tapwrite Screen Saver", "DisplayVersion    REG_SZ    5.0",
             "UninstallString    REG_SZ    \"C:\\Program Files\\Korvane\\Tapwrite Screensaver\\uninstall.exe\""})
        EXPECT_NE(entry.find(value), std::string::npos) << value << " not in\n" << entry;
}
}

TEST(Installer, SilentInstallPutsEveryFileInPlaceAndRegistersItsUninstaller)
{
    expectInstalled();
}

TEST(Installer, UninstallerRemovesItAllAndAReinstallBringsItBack)
{
    ASSERT_TRUE(uninstall());
    EXPECT_FALSE(std::filesystem::exists(installFolder().parent_path())) << "the Korvane folder is left";
    EXPECT_FALSE(std::filesystem::exists(installedSaver()));
    EXPECT_EQ(uninstallEntry(), "");

    // The other tests run the installed saver.
    ASSERT_TRUE(install());
    expectInstalled();
}
