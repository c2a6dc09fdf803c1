#include "diag/trace.h"

#ifdef TAPWRITE_TRACE_FILE
bool traceEnabled = true;
std::ofstream traceStream(TAPWRITE_TRACE_FILE, std::ios::out | std::ios::app | std::ios::binary);
#else
bool traceEnabled = false;
std::ofstream traceStream;
#endif

void trace(std::string text)
{
    if (!traceEnabled)
        return;
    traceStream.write(text.data(), static_cast<std::streamsize>(text.size()));
    traceStream << "\n";
    traceStream.flush();
}

void trace(long long number)
{
    trace(std::to_string(number));
}

void closeTrace()
{
    traceStream.flush();
    traceStream.close();
}
