// tapwrite-feed: for the people who run the web service. Shows what every
// saver will do with a feed and a bulletin before they are published.
#include "feedtool/feed_check.h"
#include "feedtool/page_picture.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int fullPage = 48;

int usage()
{
    std::fprintf(stderr,
        "usage: tapwrite-feed check [--quiet] FEED [BULLETIN]\n"
        "       tapwrite-feed page FEED [--size WxH] [--lines N] -o PICTURE.png\n"
        "FEED and BULLETIN are files or http(s):// URLs.\n"
        "check exits with 0 when all is well, 1 with warnings, 2 with errors.\n");
    return 2;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    char extra = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) == 2 && width > 0 && height > 0
        && width <= 16384 && height <= 16384;
}

bool parseLines(const std::string& text, int& lines)
{
    char extra = 0;
    return std::sscanf(text.c_str(), "%d%c", &lines, &extra) == 1 && lines >= 0 && lines <= fullPage;
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

int page(const std::vector<std::string>& args)
{
    std::string feed;
    std::string output;
    int width = 1920;
    int height = 1080;
    int lines = fullPage;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--size" && hasValue) {
            if (!parseSize(args[++i], width, height))
                return usage();
        } else if (args[i] == "--lines" && hasValue) {
            if (!parseLines(args[++i], lines))
                return usage();
        } else if (args[i] == "-o" && hasValue) {
            output = args[++i];
        } else if (feed.empty() && args[i].rfind("-", 0) != 0) {
            feed = args[i];
        } else {
            return usage();
        }
    }
    if (feed.empty() || output.empty())
        return usage();
    return drawPagePicture(feed, width, height, lines, output);
}
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    curl_global_init(CURL_GLOBAL_ALL);
    int code = 2;
    if (command == "check")
        code = check(args);
    else if (command == "page")
        code = page(args);
    else
        usage();
    curl_global_cleanup();
    return code;
}
