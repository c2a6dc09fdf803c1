#include "idle/options.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <unistd.h>

std::optional<CompanionOptions> parseCompanionOptions(int argc, char** argv, std::string& error)
{
    CompanionOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if ((option == "--after" || option == "--saver") && i + 1 >= argc) {
            error = std::string(option) + " needs a value";
            return std::nullopt;
        }
        if (option == "--after") {
            const std::string_view value = argv[++i];
            int seconds = 0;
            const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (status != std::errc() || end != value.data() + value.size() || seconds < 1 || seconds > longestAfter) {
                error = "--after takes whole seconds from 1 to " + std::to_string(longestAfter) + ", not "
                    + std::string(value);
                return std::nullopt;
            }
            options.afterSeconds = seconds;
        } else if (option == "--saver") {
            options.saver = argv[++i];
            if (options.saver.empty()) {
                error = "--saver needs a path";
                return std::nullopt;
            }
        } else {
            error = "unknown option " + std::string(option);
            return std::nullopt;
        }
    }
    return options;
}

std::string saverToStart(const CompanionOptions& options)
{
    if (!options.saver.empty())
        return options.saver;
    std::error_code failed;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (!failed) {
        const std::filesystem::path beside = self.parent_path() / "tapwrite";
        if (access(beside.c_str(), X_OK) == 0)
            return beside.string();
    }
    return "tapwrite";
}
