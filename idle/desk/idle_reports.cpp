// The sources' reports: a flag each source sets from its event handlers.
#include "idle/desk/idle_source.h"

namespace {
bool idleReported = false;
bool activeReported = false;
}

void reportIdle()
{
    idleReported = true;
}

void reportActive()
{
    // Input since the desk went idle: an idle report not yet acted on is stale.
    idleReported = false;
    activeReported = true;
}

bool takeIdleReport()
{
    const bool reported = idleReported;
    idleReported = false;
    return reported;
}

bool takeActiveReport()
{
    const bool reported = activeReported;
    activeReported = false;
    return reported;
}
