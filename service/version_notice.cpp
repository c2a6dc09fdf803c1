#include "service/version_notice.h"

#include "platform/platform.h"
#include "service/bulletin.h"
#include "service/service_config.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

const std::string localVersion = "5.0";

namespace {
bool isSpace(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

// The numbers of a version, each as its digits without leading zeros, so that
// any length compares correctly; nullopt when the text is not a version.
std::optional<std::vector<std::string_view>> versionNumbers(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    std::vector<std::string_view> numbers;
    for (;;) {
        std::size_t dot = text.find('.');
        std::string_view number = text.substr(0, dot);
        if (number.empty())
            return std::nullopt;
        for (char c : number)
            if (c < '0' || c > '9')
                return std::nullopt;
        while (number.size() > 1 && number.front() == '0')
            number.remove_prefix(1);
        numbers.push_back(number == "0" ? std::string_view() : number);
        if (dot == std::string_view::npos)
            break;
        text.remove_prefix(dot + 1);
    }
    return numbers;
}

// -1, 0 or 1 as a is smaller than, equal to or greater than b.
int compareNumbers(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
}

bool isNewerVersion(const std::string& local, const std::string& remote)
{
    std::optional<std::vector<std::string_view>> ours = versionNumbers(local);
    std::optional<std::vector<std::string_view>> theirs = versionNumbers(remote);
    if (!ours || !theirs)
        return false;
    const std::size_t count = std::max(ours->size(), theirs->size());
    for (std::size_t i = 0; i < count; ++i) {
        std::string_view a = i < ours->size() ? (*ours)[i] : std::string_view();
        std::string_view b = i < theirs->size() ? (*theirs)[i] : std::string_view();
        if (int order = compareNumbers(a, b))
            return order < 0;
    }
    return false;
}

bool isComparableVersion(const std::string& text)
{
    return versionNumbers(text).has_value();
}

std::string versionNoticeText()
{
    return "Please download the latest version of Tapwrite Screen Saver to get awesome new features. Go to "
        + siteHost + " now!";
}

void showVersionNotice()
{
    if (isNewerVersion(localVersion, serviceBulletin.version))
        platformInformationBox(versionNoticeText().c_str(), "New Version!");
}
