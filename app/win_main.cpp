// The saver's entry routine: decode the switches, trace them, act on the mode.
#include "app/entry.h"
#include "app/command_line.h"
#include "app/run_path.h"
#include "diag/trace.h"
#include "platform/platform.h"
#include "service/service_client.h"

extern "C" int WinMain(void*, void*, char*, int)
{
    // From the first moment: a session may end while the saver still starts.
    platformCatchTerminationRequests();
    parentWindow = 0;
    scrMode = parseCommandLine(parentWindow);

    trace("************");
    trace("\n");
    trace("scrMode");
    trace(static_cast<long long>(scrMode));

    // Every mode asks the service first, the settings and preview ones included.
    startService();

    if (scrMode == ModeConfigure) {
        platformInformationBox("There is nothing to configure.", "Information");
        return 0;
    }
    if (scrMode == ModePassword) {
        platformInformationBox("There is no password setting", "Information");
        trace("returning from password");
        return 0;
    }
    if (scrMode == ModePreview) {
        trace("returning from preview");
        return 0;
    }
    return runSaver();
}
