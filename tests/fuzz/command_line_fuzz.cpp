// The switch decoder on any command line: always a known mode, never a read
// past the terminating NUL (the copy below ends exactly there).
#include "app/command_line.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<char[]> line(new char[size + 1]);
    std::memcpy(line.get(), data, size);
    line[size] = '\0';
    platformSetCommandLineForTest(line.get());
    WindowHandle handle = 77;
    RunMode mode = parseCommandLine(handle);
    if (mode < ModeNone || mode > ModeRun)
        std::abort();
    if (mode == ModeRun && handle != 77)
        std::abort();
    return 0;
}
