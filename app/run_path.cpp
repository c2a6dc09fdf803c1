#include "app/run_path.h"

#include "app/wake_rules.h"
#include "display/builtin_text.h"
#include "display/display_setup.h"
#include "display/page_drawing.h"
#include "display/typing_engine.h"
#include "platform/pacing.h"
#include "platform/platform.h"

bool mainLoopPass()
{
    if (drainEventsAndCheckWake())
        return false;
    drawFrame();
    typeNextCharacter();
    pauseFor(nextCharacterDelay());
    turnPageIfFull();
    return true;
}

int runSaver()
{
    useBuiltinTextIfEmpty();
    if (!platformFindHostWindow())
        return 1;
    if (!initDisplay())
        return 1;
    if (!loadAssets())
        return 1;
    feedPaper();
    if (!platformDrainMessages()) {
        quitRequested = false;
        while (mainLoopPass()) {
        }
    }
    shutdownSaver();
    return 0;
}
