#pragma once
// An output's power as a Wayland compositor tells it: wlroots' output power
// management (sway, river, labwc, Hyprland) or KWin's DPMS. The compositor
// sends the mode when the object is made, and again on every change while
// it lives.
#include <cstdint>
#include <vector>

#include <wayland-client.h>
// Made from wlroots' and Plasma's protocol XML.
#include <dpms-client-protocol.h>
#include <wlr-output-power-management-unstable-v1-client-protocol.h>

struct PowerManagers {
    zwlr_output_power_manager_v1* wlroots = nullptr;
    org_kde_kwin_dpms_manager* kde = nullptr;
};

struct OutputPower {
    zwlr_output_power_v1* wlroots = nullptr;
    org_kde_kwin_dpms* kde = nullptr;
    bool off = false;
    // The compositor refused the object (another program holds it) or has no
    // power saving for the output: taken for lit.
    bool refused = false;
};

extern const zwlr_output_power_v1_listener wlrootsPowerListener;
extern const org_kde_kwin_dpms_listener kdePowerListener;

// Binds the global when it is one of the power managers; false otherwise.
bool bindPowerManager(PowerManagers& managers, wl_registry* registry, std::uint32_t name, const char* interface);
// Asks for the output's power once a manager is known; false, with nothing
// asked, when it is already asked for or no manager is.
bool watchOutputPower(const PowerManagers& managers, OutputPower& power, wl_output* output);
void releaseOutputPower(OutputPower& power);
// True when there are outputs and every one is told off.
bool everyOutputOff(const std::vector<const OutputPower*>& outputs);
