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

// What getopt refused: a long option given a value it takes not (word is
// then --name=value, the name perhaps shortened, and optopt the option's), or
// an option unknown; a short one is named by optopt, as word may be the one
// before it.
std::string wrongOption(std::string_view word)
{
    const std::size_t equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    if (word.starts_with("--") && equals != std::string_view::npos && name.size() > 2 && optopt)
        for (const option& o : longOptions)
            if (o.name && o.val == optopt && o.has_arg == no_argument
                && std::string_view(o.name).starts_with(name.substr(2)))
                return "--" + std::string(o.name) + " takes no value";
    return "unknown option " + (optopt ? std::string("-") + char(optopt) : std::string(word));
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
            error = wrongOption(argv[optind - 1]);
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
