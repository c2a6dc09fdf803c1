#include "idle/session/kconfig_file.h"

#include <initializer_list>

namespace {
constexpr std::size_t none = std::string_view::npos;

// KConfig trims what Qt calls white space.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// \s \t \n \r \\ and \xHH undone; any other backslash stays as written.
std::string unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        const char* simple = next == 's' ? " " : next == 't' ? "\t" : next == 'n' ? "\n" : next == 'r' ? "\r"
            : next == '\\'                                                                      ? "\\"
                                                                                                : nullptr;
        if (simple) {
            out += simple;
        } else if (next == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += '\\';
            out += next;
        }
    }
    return out;
}

// The group a header line opens, its parts joined by KConfig's separator
// (0x1d); immutable is set by a [$i] at its end. Nothing for a header
// without its closing bracket, which KConfig skips, keeping the group before.
std::optional<std::string> groupOf(std::string_view line, bool& immutable)
{
    std::string name;
    std::size_t start = 1;
    for (;;) {
        const std::size_t end = line.find(']', start);
        if (end == none)
            return std::nullopt;
        const std::string_view part = line.substr(start, end - start);
        if (part == "$i" && end + 1 == line.size()) {
            immutable = true;
        } else {
            if (!name.empty())
                name += '\x1d';
            name += unescaped(part);
        }
        if (end + 1 == line.size() || line[end + 1] != '[')
            return name;
        start = end + 2;
    }
}

// One key's line: its name with the markers taken off, whether it deletes
// the key or is immutable; false for a line KConfig skips, or a locale's.
struct Entry {
    std::string key;
    std::string_view value;
    bool deleted = false;
    bool immutable = false;
};

bool entryOf(std::string_view line, Entry& entry)
{
    const std::size_t equals = line.find('=');
    std::string_view key = trimmed(line.substr(0, equals));
    if (equals != none)
        entry.value = trimmed(line.substr(equals + 1));
    bool localized = false;
    // Markers and a locale, from the right: Key[de][$i].
    for (std::size_t open = key.rfind('['); open != none; open = key.rfind('[')) {
        const std::size_t close = key.find(']', open);
        if (close == none)
            return false;
        const std::string_view inside = key.substr(open + 1, close - open - 1);
        key = key.substr(0, open);
        if (!inside.empty() && inside.front() == '$') {
            entry.immutable = entry.immutable || inside.find('i') != none;
            // Written as Key[$d], without a value; what stands left of it is deleted.
            if (inside.find('d') != none) {
                entry.deleted = true;
                break;
            }
        } else if (localized) {
            return false;
        } else {
            localized = true;
        }
    }
    if (key.empty() || (equals == none && !entry.deleted) || localized)
        return false;
    entry.key = unescaped(key);
    return true;
}
}

std::optional<std::string> kconfigValue(std::string_view file, std::string_view group, std::string_view key)
{
    std::optional<std::string> value;
    bool fixed = false;
    bool fileImmutable = false;
    bool inGroup = false;
    bool groupImmutable = false;
    while (!file.empty()) {
        const std::size_t end = file.find('\n');
        const std::string_view line = trimmed(file.substr(0, end));
        file.remove_prefix(end == none ? file.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            bool immutable = false;
            const std::optional<std::string> name = groupOf(line, immutable);
            if (!name)
                continue;
            // A file's [$i] stands before its first group, alone on its line.
            if (name->empty() && immutable)
                fileImmutable = true;
            inGroup = *name == group;
            groupImmutable = fileImmutable || immutable;
            continue;
        }
        Entry entry;
        if (!inGroup || !entryOf(line, entry) || entry.key != key || fixed)
            continue;
        if (entry.deleted)
            value.reset();
        else
            value = unescaped(entry.value);
        // KConfig changes no immutable entry after it is set.
        fixed = entry.immutable || groupImmutable;
    }
    return value;
}

bool kconfigTrue(std::string_view value)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (const std::string_view no : {"false", "no", "off", "0"}) {
        bool same = value.size() == no.size();
        for (std::size_t i = 0; same && i < no.size(); ++i)
            same = lower(value[i]) == no[i];
        if (same)
            return false;
    }
    return true;
}
