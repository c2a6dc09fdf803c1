#include "platform/platform.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
std::string argumentsLine;
std::string testLine;
bool useTestLine = false;
}

void platformSetArguments(int argc, char** argv)
{
    argumentsLine.clear();
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i] ? argv[i] : "";
        if (i == 0) {
            // Windows quotes a program path that holds a blank.
            bool quote = std::strchr(argument, ' ') != nullptr;
            if (quote)
                argumentsLine += '"';
            argumentsLine += argument;
            if (quote)
                argumentsLine += '"';
        } else {
            argumentsLine += ' ';
            argumentsLine += argument;
        }
    }
}

void platformSetCommandLineForTest(const char* commandLine)
{
    useTestLine = commandLine != nullptr;
    testLine = commandLine ? commandLine : "";
}

const char* platformCommandLine()
{
    return useTestLine ? testLine.c_str() : argumentsLine.c_str();
}

WindowHandle platformForegroundWindow()
{
    return 0;
}

void platformInformationBox(const char* text, const char* caption)
{
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr) == 0)
        return;
    // No display to show a box on: the user still gets to read it.
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool platformDrainMessages()
{
    return false;
}
