#include "app/command_line.h"

#include <climits>

RunMode scrMode = ModeNone;
WindowHandle parentWindow = 0;

namespace {
bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* skipBlanksAndColons(const char* p)
{
    while (*p == ' ' || *p == ':')
        ++p;
    return p;
}
}

std::int32_t parseHandleNumber(const char* p)
{
    while (isAsciiSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(value);
}

const char* skipProgramPath(const char* p)
{
    // Quoted up to the closing quote, or up to the first blank.
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ')
            ++p;
    }
    if (*p != '\0')
        ++p;
    return p;
}

RunMode parseCommandLine(WindowHandle& parentWindow)
{
    const char* p = skipProgramPath(platformCommandLine());
    while (*p == ' ')
        ++p;

    if (*p == '\0') {
        parentWindow = 0;
        return ModeNone;
    }
    if (*p == '-' || *p == '/')
        ++p;

    switch (*p) {
    case 'S':
    case 's':
        return ModeRun;
    case 'C':
    case 'c': {
        const char* rest = skipBlanksAndColons(p + 1);
        parentWindow = *rest == '\0' ? platformForegroundWindow() : WindowHandle{parseHandleNumber(rest)};
        return ModeConfigure;
    }
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        parentWindow = parseHandleNumber(skipBlanksAndColons(p + 1));
        return ModePreview;
    case 'A':
    case 'a':
        parentWindow = parseHandleNumber(skipBlanksAndColons(p + 1));
        return ModePassword;
    default:
        // An unknown switch (a digit, a second '-' or '/', any other letter)
        // is taken as no switch at all: the saver runs, with no parent window.
        // That is what a user who starts the file by hand expects to see.
        parentWindow = 0;
        return ModeNone;
    }
}
