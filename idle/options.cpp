#include "idle/options.h"

#include <charconv>
#include <filesystem>
#include <getopt.h>
#include <unistd.h>

namespace {
const option longOptions[] = {
    {"after", required_argument, nullptr, 'a'},
    {"saver", required_argument, nullptr, 's'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'v'},
    {nullptr, 0, nullptr, 0},
};

bool readAfter(std::string_view value, int& seconds, std::string& error)
{
    const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (status == std::errc() && end == value.data() + value.size() && seconds >= 1 && seconds <= longestAfter)
        return true;
    error = "--after takes whole seconds from 1 to " + std::to_string(longestAfter) + ", not " + std::string(value);
    return false;
}
}

std::optional<CompanionOptions> parseCompanionOptions(int argc, char** argv, std::string& error)
{
    CompanionOptions options;
    // Our own lines, not getopt's; 0 starts the scan afresh on every call.
    opterr = 0;
    optind = 0;
    int chosen = 0;
    // '+': the first word that is no option ends the options.
    while ((chosen = getopt_long(argc, argv, "+:", longOptions, nullptr)) != -1) {
        switch (chosen) {
        case 'a':
            if (!readAfter(optarg, options.afterSeconds, error))
                return std::nullopt;
            break;
        case 's':
            options.saver = optarg;
            if (options.saver.empty()) {
                error = "--saver needs a path";
                return std::nullopt;
            }
            break;
        case 'h':
            options.help = true;
            break;
        case 'v':
            options.version = true;
            break;
        case ':':
            error = std::string(argv[optind - 1]) + " needs a value";
            return std::nullopt;
        default:
            // A short option is named by optopt: argv[optind] may still hold it.
            error = "unknown option " + (optopt ? std::string("-") + char(optopt) : std::string(argv[optind - 1]));
            return std::nullopt;
        }
    }
    if (optind < argc) {
        error = "unexpected argument " + std::string(argv[optind]);
        return std::nullopt;
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
