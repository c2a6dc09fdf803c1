#include "feedtool/report.h"

#include "feedtool/exit_codes.h"

#include <cstdio>

namespace {
// A finding of one kind is printed this many times; the rest are counted.
constexpr int printedPerKind = 10;

const char* severityName(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
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
            std::printf("%s\n", line.c_str());
        if (!printed.empty())
            std::printf("problems:\n");
    }
    for (const Finding& f : printed)
        std::printf("%s: %s: %s\n", f.where.c_str(), severityName(f.severity), f.text.c_str());
    const int errors = total(Severity::Error);
    const int warnings = total(Severity::Warning);
    if (!quiet)
        std::printf("%s, %s\n", counted(errors, "error", "errors").c_str(),
            counted(warnings, "warning", "warnings").c_str());
    std::fflush(stdout);
    for (const std::string& failure : toolFailures_)
        std::fprintf(stderr, "tapwrite-feed: %s\n", failure.c_str());
    if (!toolFailures_.empty())
        return exitToolFailure;
    return errors ? exitErrors : (warnings ? exitWarnings : exitClean);
}

std::string shown(std::string_view bytes, std::size_t most)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < most; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x20 || (c >= 0x7f && c < 0xa0)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    if (bytes.size() > most)
        out += "... (" + std::to_string(bytes.size()) + " characters)";
    return out;
}

std::string quoted(std::string_view bytes)
{
    return "\"" + shown(bytes) + "\"";
}

std::string counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
