#pragma once
// The Windows saver under Wine: one fresh Wine prefix for the whole test
// program, booted and with the saver installed by its own installer, silently.
#include "e2e_support.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace wine {

using namespace std::chrono_literals;

// What the Windows build made: the installer, the saver it ships and the assets.
std::filesystem::path installerProgram();
std::filesystem::path shippedSaver();
std::filesystem::path builtAssets();

// Where the installer puts things, as paths of this machine inside the prefix.
std::filesystem::path installFolder();
std::filesystem::path installedSaver();
// What the stand-in desk.cpl was asked to select, one line a call.
std::filesystem::path deskCplRecord();

inline const std::string saverPath = "C:\\windows\\system32\\tapwrite.scr";
inline const std::string uninstallerPath = "C:\\Program Files\\Korvane\\Tapwrite Screensaver\\uninstall.exe";
inline const std::string uninstallKey =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tapwrite Screen Saver";

// argv that runs a Windows program (a Windows path or one of this machine) under Wine.
std::vector<std::string> wineCommand(std::vector<std::string> program);
// The Windows saver with these switches.
std::vector<std::string> saverCommand(std::vector<std::string> switches);

// Runs a Windows program to its end; its exit code, nullopt when it did not end.
std::optional<int> runUnderWine(std::vector<std::string> program, std::chrono::milliseconds limit = 60s);
// Waits until every process of the prefix, Wine's own included, has ended.
bool waitForWineToSettle();

// The installer with /S; true when it ended with code 0.
bool install();
// The registered uninstaller with /S (it goes on in a copy of itself); true
// when it started and everything it did has ended.
bool uninstall();

// The lines box_text prints with these arguments, read inside Wine; none when
// it failed.
std::vector<std::string> readWindows(std::vector<std::string> arguments);
// The text of every control of the box with this caption, read inside Wine.
std::vector<std::string> boxTexts(const std::string& caption);

} // namespace wine
