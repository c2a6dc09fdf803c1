#include "app/run_path.h"

#include "app/dark_pause.h"
#include "app/host_window_request.h"
#include "app/wake_rules.h"
#include "display/builtin_text.h"
#include "display/display_setup.h"
#include "display/monitor_covers.h"
#include "display/page_drawing.h"
#include "display/typing_engine.h"
#include "platform/pacing.h"
#include "platform/platform.h"
#include "service/version_notice.h"

bool mainLoopPass()
{
    const bool dark = outputsDark();
    if (deskUpkeepDue())
        followMonitorChanges();
    if (drainEventsAndCheckWake())
        return false;
    if (dark) {
        waitInTheDark();
        return true;
    }
    drawFrame();
    typeNextCharacter();
    pauseFor(nextCharacterDelay());
    turnPageIfFull();
    return true;
}

namespace {
// Screens dark from the start: the sheet is fed only once one lights. False
// when the run ended before that.
bool litBeforeTheEnd()
{
    if (!outputsDark())
        return true;
    // A Wayland window shows, and gets keys, only once it has a frame.
    drawBlankFrame();
    for (;;) {
        if (deskUpkeepDue())
            followMonitorChanges();
        if (drainEventsAndCheckWake())
            return false;
        if (!outputsDark())
            return true;
        waitInTheDark();
    }
}
}

int runSaver()
{
    useBuiltinTextIfEmpty();
    if (rootSwitchGiven(platformCommandLine()))
        platformRunForXScreen();
    if (!findHostWindow())
        return 1;
    if (!initDisplay())
        return 1;
    if (!loadAssets())
        return 1;
    // From the first frame to the last pass a termination request ends the
    // run as a close request does; before and after, it ends the program.
    platformWatchTermination(true);
    if (!platformDrainMessages()) {
        quitRequested = false;
        if (litBeforeTheEnd()) {
            feedPaper();
            while (mainLoopPass()) {
            }
        }
    }
    platformWatchTermination(false);
    // While the saver's window is still up; never over a host's window, where
    // the screen may be locked and no one could answer the box, nor when
    // the system asked the run to end (a lock, a sleep, a logout, a stopped
    // unit), where no one is there to answer it.
    if (!platformHostWindowMode() && !platformTerminationRequested()) {
        platformLetBoxesAbove(displayContext.window, coverWindows);
        showVersionNotice();
    }
    platformGiveFocusBack();
    shutdownSaver();
    return 0;
}
