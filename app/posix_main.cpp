// POSIX entry: hand argv to the platform layer and run the saver's entry routine.
#include "app/entry.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    platformSetArguments(argc, argv);
    return WinMain(nullptr, nullptr, nullptr, 0);
}
