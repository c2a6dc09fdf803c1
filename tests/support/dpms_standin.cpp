// Stands in for the X server's DPMS extension, which none of the test
// servers has: linked into a saver with -Wl,--wrap for the three calls it
// makes, it answers from the file TAPWRITE_DPMS_STANDIN_FILE names: the
// level ("on", "standby", "suspend" or "off"), then "disabled" where power
// saving is switched off (xset -dpms), which leaves the level as it stood.
// Without the file, as a server without the extension does. The extension's
// presence is asked once, at the start.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <fstream>
#include <string>

namespace {
bool readLevel(CARD16& level, bool& enabled)
{
    std::ifstream file(TAPWRITE_DPMS_STANDIN_FILE);
    std::string word;
    if (!(file >> word))
        return false;
    level = word == "off" ? DPMSModeOff
        : word == "suspend" ? DPMSModeSuspend
        : word == "standby" ? DPMSModeStandby
                            : DPMSModeOn;
    std::string state;
    enabled = !(file >> state) || state != "disabled";
    return true;
}
}

extern "C" {
Bool __wrap_DPMSQueryExtension(Display*, int* eventBase, int* errorBase)
{
    CARD16 level = DPMSModeOn;
    bool enabled = false;
    *eventBase = 0;
    *errorBase = 0;
    return readLevel(level, enabled);
}

Bool __wrap_DPMSCapable(Display*)
{
    return True;
}

Status __wrap_DPMSInfo(Display*, CARD16* level, BOOL* enabled)
{
    *level = DPMSModeOn;
    bool powerSaving = false;
    *enabled = readLevel(*level, powerSaving) && powerSaving;
    return True;
}
}
