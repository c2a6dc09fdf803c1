#include "feedtool/report.h"

#include "feedtool/exit_codes.h"

#include <algorithm>
#include <cstdio>

namespace {
// A finding of one kind is printed this many times; the rest are counted.
constexpr int printedPerKind = 10;

const char* severityName(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
}

bool isControl(char32_t code)
{
    return code < 0x20 || (code >= 0x7f && code < 0xa0);
}

void appendEscaped(std::string& out, unsigned char byte)
{
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    out += escaped;
}

// One Latin-1 character in UTF-8, or escaped when it is a control.
void appendCharacter(std::string& out, unsigned char c)
{
    if (isControl(c)) {
        appendEscaped(out, c);
    } else if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}
}

void Report::list(std::string line)
{
    listing_.push_back(std::move(line));
}

void Report::add(Severity severity, const Place& place, const std::string& kind, std::string text)
{
    auto [entry, fresh] = kinds_.try_emplace(kind, Kind{severity, place.source});
    if (fresh)
        kindOrder_.push_back(kind);
    if (++entry->second.count > printedPerKind)
        return;
    std::string where = place.source;
    if (place.line > 0)
        where += ":" + std::to_string(place.line);
    findings_.push_back({severity, where, std::move(text)});
}

void Report::failTool(std::string message)
{
    toolFailures_.push_back(std::move(message));
}

std::vector<Report::Finding> Report::printedFindings() const
{
    std::vector<Finding> printed = findings_;
    for (const std::string& name : kindOrder_) {
        const Kind& kind = kinds_.at(name);
        if (kind.count > printedPerKind)
            printed.push_back({kind.severity, kind.source,
                std::to_string(kind.count - printedPerKind) + " other " + name + " (only the first "
                    + std::to_string(printedPerKind) + " are listed)"});
    }
    return printed;
}

int Report::total(Severity severity) const
{
    int sum = 0;
    for (const auto& [name, kind] : kinds_)
        if (kind.severity == severity)
            sum += kind.count;
    return sum;
}

int Report::print(bool quiet) const
{
    const std::vector<Finding> printed = printedFindings();
    if (!quiet) {
        for (const std::string& line : listing_)
            std::printf("%s\n", shownText(line).c_str());
        if (!printed.empty())
            std::printf("problems:\n");
    }
    for (const Finding& f : printed)
        std::printf("%s: %s: %s\n", shownText(f.where).c_str(), severityName(f.severity),
            shownText(f.text).c_str());
    const int errors = total(Severity::Error);
    const int warnings = total(Severity::Warning);
    if (!quiet)
        std::printf("%s, %s\n", counted(errors, "error", "errors").c_str(),
            counted(warnings, "warning", "warnings").c_str());
    std::fflush(stdout);
    for (const std::string& failure : toolFailures_)
        printToolMessage(failure);
    if (!toolFailures_.empty())
        return exitToolFailure;
    return errors ? exitErrors : (warnings ? exitWarnings : exitClean);
}

std::string shown(std::string_view bytes, std::size_t most)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < most; ++i)
        appendCharacter(out, static_cast<unsigned char>(bytes[i]));
    if (bytes.size() > most)
        out += "... (" + std::to_string(bytes.size()) + " characters)";
    return out;
}

std::string shownText(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const std::size_t length = utf8Character(text, i, code);
        if (length == 0 || isControl(code)) {
            for (std::size_t end = i + std::max<std::size_t>(length, 1); i < end; ++i)
                appendEscaped(out, static_cast<unsigned char>(text[i]));
            continue;
        }
        out.append(text, i, length);
        i += length;
    }
    return out;
}

void printToolMessage(std::string_view message)
{
    std::fprintf(stderr, "tapwrite-feed: %s\n", shownText(message).c_str());
}

std::size_t utf8Character(std::string_view bytes, std::size_t at, char32_t& code)
{
    if (at >= bytes.size())
        return 0;
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = lead < 0x80 ? 1 : (lead < 0xc2 ? 0 : (lead < 0xe0 ? 2 : (lead < 0xf0 ? 3 : 4)));
    if (length == 0 || lead > 0xf4 || bytes.size() - at < length)
        return 0;
    // The bits of the first byte that belong to the code point.
    constexpr unsigned char leadBits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    code = lead & leadBits[length];
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + k]);
        if ((next & 0xc0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3f);
    }
    // Longer than needed, a surrogate or past Unicode: not a character.
    constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

std::string quoted(std::string_view bytes)
{
    return "\"" + shown(bytes) + "\"";
}

std::string counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
