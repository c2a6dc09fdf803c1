// tapwrite-feed: for the people who run the web service. Shows what every
// saver will do with a feed and a bulletin before they are published.
#include "display/page_layout.h"
#include "feedtool/exit_codes.h"
#include "feedtool/feed_check.h"
#include "feedtool/page_picture.h"

#include <curl/curl.h>

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {
// The largest screen side a picture may have: what a saver could meet.
constexpr int largestSide = 8192;

const char usageText[] =
    "usage: tapwrite-feed check [--quiet] FEED [BULLETIN]\n"
    "       tapwrite-feed page FEED [--size WxH] [--lines N] [--builtin-text] -o PICTURE.png\n"
    "       tapwrite-feed --help\n"
    "FEED and BULLETIN are files or http(s):// URLs.\n"
    "page: --size from 1x1 to 8192x8192 (default 1920x1080); --lines from 0 to 48 (default 48,\n"
    "  a full page); --builtin-text draws the saver's own text when FEED gives it nothing to type.\n"
    "Exit codes: 0 all is well (page: the picture is written); 1 check found warnings;\n"
    "  2 check found errors, or page has no feed to draw; 3 the tool failed: a wrong command\n"
    "  line, a file it cannot read, the font, or writing the picture.\n";

int usage()
{
    std::fputs(usageText, stderr);
    return exitToolFailure;
}

// A whole decimal number from lowest to highest, nothing around it.
bool parseNumber(std::string_view text, int lowest, int highest, int& value)
{
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < lowest || parsed > highest)
        return false;
    value = parsed;
    return true;
}

bool parseSize(std::string_view text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    return x != std::string_view::npos && parseNumber(text.substr(0, x), 1, largestSide, width)
        && parseNumber(text.substr(x + 1), 1, largestSide, height);
}

int check(const std::vector<std::string>& args)
{
    bool quiet = false;
    std::vector<std::string> names;
    for (const std::string& arg : args) {
        if (arg == "--quiet")
            quiet = true;
        else if (arg.rfind("-", 0) == 0 && arg.size() > 1)
            return usage();
        else
            names.push_back(arg);
    }
    if (names.empty() || names.size() > 2)
        return usage();
    return checkFeed(names[0], names.size() > 1 ? names[1] : "", quiet);
}

// One option of page and its value; false on anything wrong.
bool pageOption(const std::vector<std::string>& args, std::size_t& i, PagePicture& picture)
{
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--size" && hasValue)
        return parseSize(args[++i], picture.width, picture.height);
    if (args[i] == "--lines" && hasValue)
        return parseNumber(args[++i], 0, linesPerPage, picture.lineCount);
    if (args[i] == "-o" && hasValue) {
        picture.output = args[++i];
        return true;
    }
    if (args[i] == "--builtin-text") {
        picture.builtinText = true;
        return true;
    }
    if (!picture.feed.empty() || args[i].rfind("-", 0) == 0)
        return false;
    picture.feed = args[i];
    return true;
}

int page(const std::vector<std::string>& args)
{
    PagePicture picture;
    picture.lineCount = linesPerPage;
    for (std::size_t i = 0; i < args.size(); ++i)
        if (!pageOption(args, i, picture))
            return usage();
    if (picture.feed.empty() || picture.output.empty())
        return usage();
    return drawPagePicture(picture);
}
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") {
        std::fputs(usageText, stdout);
        return exitClean;
    }
    if (command != "check" && command != "page")
        return usage();
    curl_global_init(CURL_GLOBAL_ALL);
    const int code = command == "check" ? check(args) : page(args);
    curl_global_cleanup();
    return code;
}
