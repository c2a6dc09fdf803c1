// POSIX entry: hand argv to the platform layer and run the saver's entry routine.
#include "app/entry.h"
#include "platform/platform.h"

// A session or an idle companion may stop the saver the moment it started it:
// the termination requests are caught before any library's start-up code
// runs, not only once main is reached some milliseconds later.
[[gnu::section(".preinit_array"), gnu::used]] static void (*const catchTerminationFirst)() =
    platformCatchTerminationRequests;

int main(int argc, char** argv)
{
    platformSetArguments(argc, argv);
    return WinMain(nullptr, nullptr, nullptr, 0);
}
