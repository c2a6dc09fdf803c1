#include "wine_prefix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace wine {

std::filesystem::path installerProgram()
{
    return std::filesystem::path(TAPWRITE_WINE_BUILD) / "tapwrite-setup.exe";
}

std::filesystem::path shippedSaver()
{
    return std::filesystem::path(TAPWRITE_WINE_BUILD) / "installer" / "tapwrite.scr";
}

std::filesystem::path builtAssets()
{
    return std::filesystem::path(TAPWRITE_WINE_BUILD) / "tapwritefiles";
}

namespace {
std::filesystem::path prefixFolder;

std::filesystem::path driveC()
{
    return prefixFolder / "drive_c";
}

// Boots a fresh prefix and installs the saver before the first test; ends
// Wine and removes the prefix after the last.
class WinePrefix : public testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(installerProgram()))
            << installerProgram() << " is missing: build it with scripts/build-windows.sh";
        folder_ = std::make_unique<e2e::TempFolder>("wine-prefix");
        ASSERT_FALSE(folder_->path().empty());
        prefixFolder = folder_->path();
        setenv("WINEPREFIX", prefixFolder.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        // No offer to download Mono and Gecko while booting; the stand-in
        // desk.cpl below before the one newer Wines bring.
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;desk.cpl=n", 1);
        // Booted and settled first, or the first window takes seconds longer.
        ASSERT_EQ(runCommand({"wineboot", "--init"}, 180s), 0) << "wineboot failed: is Wine installed?";
        ASSERT_TRUE(waitForWineToSettle());
        // The installer's finish page calls desk.cpl, which Wine 8 lacks and
        // Wine 10 has only as a placeholder: the stand-in records the call.
        std::filesystem::copy_file(TAPWRITE_WINE_DESK_CPL, driveC() / "windows" / "system32" / "desk.cpl",
            std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(install()) << "the silent installation failed";
    }

    void TearDown() override
    {
        // Only ever the prefix of this program.
        if (!prefixFolder.empty())
            runCommand({"wineserver", "-k"});
        folder_.reset();
    }

private:
    std::unique_ptr<e2e::TempFolder> folder_;
};

[[maybe_unused]] testing::Environment* const prefixEnvironment = testing::AddGlobalTestEnvironment(new WinePrefix);
}

std::filesystem::path installFolder()
{
    return driveC() / "Program Files" / "Korvane" / "Tapwrite Screensaver";
}

std::filesystem::path installedSaver()
{
    return driveC() / "windows" / "system32" / "tapwrite.scr";
}

std::filesystem::path deskCplRecord()
{
    return driveC() / "desk-cpl-calls.txt";
}

std::vector<std::string> wineCommand(std::vector<std::string> program)
{
    program.insert(program.begin(), "wine");
    return program;
}

std::vector<std::string> saverCommand(std::vector<std::string> switches)
{
    switches.insert(switches.begin(), saverPath);
    return wineCommand(switches);
}

std::optional<int> runUnderWine(std::vector<std::string> program, std::chrono::milliseconds limit)
{
    return runCommand(wineCommand(std::move(program)), limit);
}

bool waitForWineToSettle()
{
    return runCommand({"wineserver", "-w"}, 120s) == 0;
}

bool install()
{
    return runUnderWine({installerProgram().string(), "/S"}) == 0 && waitForWineToSettle();
}

bool uninstall()
{
    return runUnderWine({uninstallerPath, "/S"}) == 0 && waitForWineToSettle();
}

std::vector<std::string> readWindows(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TAPWRITE_WINE_BOX_TEXT);
    ChildProcess reader(wineCommand(std::move(arguments)));
    if (reader.waitForExit(30s) != 0)
        return {};
    std::vector<std::string> lines;
    std::string text = reader.standardOutput();
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> boxTexts(const std::string& caption)
{
    return readWindows({caption});
}

} // namespace wine
