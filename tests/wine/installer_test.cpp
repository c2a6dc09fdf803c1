// The installer in a fresh Wine prefix: the assets, and the licences and the
// list of the libraries the saver bundles, land in the folder the saver reads
// them from, the saver in the 64-bit system folder, the Add/Remove
// entry describes it, a second run replaces it in place, the wizard's finish
// page (and only it) opens the screen-saver settings, and the registered
// uninstaller takes all of it away again.
#include "wine_prefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <thread>

using namespace e2e;
using namespace wine;

namespace {
// What `reg query` prints for these arguments; empty when it failed (no such key or value).
std::string regQuery(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"reg", "query"});
    ChildProcess query(wineCommand(arguments));
    return query.waitForExit(30s) == 0 ? query.standardOutput() : "";
}

// How many Add/Remove entries carry the saver's name.
int entriesNamedTapwrite()
{
    const std::string all = regQuery({"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "/s"});
    const std::string name = "DisplayName    REG_SZ    Tapwrite Screen Saver";
    int count = 0;
    for (size_t at = all.find(name); at != std::string::npos; at = all.find(name, at + 1))
        ++count;
    return count;
}

std::uintmax_t installedBytes()
{
    std::uintmax_t bytes = std::filesystem::file_size(installedSaver());
    for (const auto& entry : std::filesystem::recursive_directory_iterator(installFolder()))
        if (entry.is_regular_file())
            bytes += entry.file_size();
    return bytes;
}

// What goes into tapwritefiles/: the saver's assets, then the list and the
// licence of each library the table of bundled libraries names.
std::vector<std::string> shippedAssets()
{
    std::vector<std::string> assets{"typingPaper.bmp", "gtw.ttf", "OFL.txt", "libraries.txt"};
    std::istringstream table(readWholeFile(TAPWRITE_WINE_LIBRARY_TABLE));
    for (std::string line, package, name; std::getline(table, line);)
        if (std::istringstream(line) >> package >> name && package[0] != '#')
            assets.push_back(name + "-licence.txt");
    return assets;
}

void expectInstalled()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(installFolder()))
        files.push_back(std::filesystem::relative(entry.path(), installFolder()).string());
    std::sort(files.begin(), files.end());
    std::vector<std::string> expected{"tapwritefiles", "uninstall.exe"};
    for (const std::string& asset : shippedAssets())
        expected.push_back("tapwritefiles/" + asset);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
    for (const std::string& asset : shippedAssets())
        EXPECT_EQ(readWholeFile(installFolder() / "tapwritefiles" / asset), readWholeFile(builtAssets() / asset)) << asset;
    EXPECT_EQ(readWholeFile(installedSaver()), readWholeFile(shippedSaver()));
    // The 64-bit system folder only; the 32-bit one stays clean.
    EXPECT_FALSE(std::filesystem::exists(installedSaver().parent_path().parent_path() / "syswow64" / "tapwrite.scr"));

    EXPECT_EQ(entriesNamedTapwrite(), 1);
    std::string entry = regQuery({uninstallKey});
    for (const char* value : {"DisplayName    REG_SZ    Tapwrite Screen Saver", "DisplayVersion    REG_SZ    5.0",
             "Publisher    REG_SZ    Korvane", "DisplayIcon    REG_SZ    C:\\windows\\system32\\tapwrite.scr,0",
             "UninstallString    REG_SZ    \"C:\\Program Files\\Korvane\\Tapwrite Screensaver\\uninstall.exe\"",
             "NoModify    REG_DWORD    0x1", "NoRepair    REG_DWORD    0x1"})
        EXPECT_NE(entry.find(value), std::string::npos) << value << " not in\n" << entry;
    // The size Add/Remove shows is in KiB and counts the saver in System32 too.
    const std::string size = "EstimatedSize    REG_DWORD    ";
    size_t at = entry.find(size);
    ASSERT_NE(at, std::string::npos) << entry;
    long kib = std::stol(entry.substr(at + size.size()), nullptr, 16);
    EXPECT_NEAR(kib, static_cast<long>(installedBytes() / 1024), 4);
}

// Polls the installer's window until one of its controls reads text (or,
// with shown false, until none does). The wizard's caption gains a trailing
// blank on its finish page.
bool waitForSetupText(const std::string& text, std::chrono::milliseconds limit, bool shown = true)
{
    for (auto deadline = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < deadline;) {
        bool found = false;
        for (const char* caption : {"Tapwrite Screen Saver Setup", "Tapwrite Screen Saver Setup "}) {
            std::vector<std::string> texts = boxTexts(caption);
            found = found || std::find(texts.begin(), texts.end(), text) != texts.end();
        }
        if (found == shown)
            return true;
    }
    return false;
}
}

TEST(Installer, SilentInstallPutsEveryFileInPlaceAndRegistersItsUninstaller)
{
    expectInstalled();
}

TEST(Installer, InstallingAgainReplacesTheInstallationInPlace)
{
    // A stale saver in System32 must be replaced, not kept.
    std::filesystem::resize_file(installedSaver(), 1000);
    ASSERT_TRUE(install());
    expectInstalled();
}

TEST(Installer, FinishPageOpensTheScreenSaverSettingsWithTapwriteSelected)
{
    // The silent installations before this opened nothing.
    EXPECT_FALSE(std::filesystem::exists(deskCplRecord()));

    ChildProcess setup(wineCommand({installerProgram().string()}));
    std::optional<TopLevelWindow> window = waitForWindow("Tapwrite Screen Saver Setup", 20s);
    ASSERT_TRUE(window.has_value()) << setup.standardError();
    ASSERT_TRUE(movePointer(window->x + window->width / 2, window->y + window->height / 2));
    x11().focusFollowsPointer();
    const std::string welcome = "Welcome to Tapwrite Screen Saver Setup";
    ASSERT_TRUE(waitForSetupText(welcome, 10s));
    // A key that comes before Wine has given the wizard the keyboard is lost:
    // sent again while the welcome page stays.
    bool welcomeLeft = false;
    for (int tries = 0; tries < 4 && !welcomeLeft; ++tries) {
        ASSERT_TRUE(xdotool({"key", "Return"})); // Install
        welcomeLeft = waitForSetupText(welcome, 5s, false);
    }
    ASSERT_TRUE(welcomeLeft);
    ASSERT_TRUE(waitForSetupText("Open the screen saver settings with Tapwrite selected", 30s));
    ASSERT_TRUE(xdotool({"key", "Return"})); // Finish, the box left ticked
    EXPECT_EQ(setup.waitForExit(30s), 0);
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (readWholeFile(deskCplRecord()).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(readWholeFile(deskCplRecord()), "C:\\windows\\system32\\tapwrite.scr\n");
    ASSERT_TRUE(waitForWineToSettle());
    expectInstalled();
}

TEST(Installer, UninstallerRemovesItAllAndAReinstallBringsItBack)
{
    ASSERT_TRUE(uninstall());
    EXPECT_FALSE(std::filesystem::exists(installFolder().parent_path())) << "the Korvane folder is left";
    EXPECT_FALSE(std::filesystem::exists(installedSaver()));
    EXPECT_EQ(regQuery({uninstallKey}), "");
    EXPECT_EQ(entriesNamedTapwrite(), 0);

    // The other tests run the installed saver.
    ASSERT_TRUE(install());
    expectInstalled();
}
