#include "app/host_window_request.h"

#include "app/command_line.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
// The words after the program path; a blank separates them, as in argv.
std::vector<std::string> argumentWords(const char* commandLine)
{
    const char* p = skipProgramPath(commandLine);
    std::vector<std::string> words;
    std::string word;
    for (; *p != '\0'; ++p) {
        if (*p == ' ') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += *p;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

int digitValue(char c, int base)
{
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}
}

HostWindowRequest hostWindowRequest(const char* commandLine, const char* environmentValue)
{
    std::vector<std::string> words = argumentWords(commandLine);
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "-window-id" || words[i] == "--window-id")
            return {true, words[i], i + 1 < words.size() ? words[i + 1] : std::string()};
    }
    if (environmentValue && *environmentValue)
        return {true, "XSCREENSAVER_WINDOW", environmentValue};
    return {};
}

bool rootSwitchGiven(const char* commandLine)
{
    for (const std::string& word : argumentWords(commandLine))
        if (word == "--root" || word == "-root")
            return true;
    return false;
}

std::optional<std::uint32_t> parseWindowId(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    if (value == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool findHostWindow()
{
#ifdef _WIN32
    return true;
#else
    HostWindowRequest request = hostWindowRequest(platformCommandLine(), std::getenv("XSCREENSAVER_WINDOW"));
    if (!request.named)
        return true;
    std::optional<std::uint32_t> id = parseWindowId(request.text);
    if (!id) {
        std::fprintf(stderr, "Tapwrite Screen Saver: %s: not a window id: \"%s\"\n", request.source.c_str(),
            request.text.c_str());
        return false;
    }
    if (!platformAdoptHostWindow(*id)) {
        std::fprintf(stderr, "Tapwrite Screen Saver: %s: no such window: %s\n", request.source.c_str(),
            request.text.c_str());
        return false;
    }
    return true;
#endif
}
