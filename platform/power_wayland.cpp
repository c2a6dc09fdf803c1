#include "platform/power_wayland.h"

#include <cstring>

namespace {
void onWlrootsMode(void* data, zwlr_output_power_v1*, std::uint32_t mode)
{
    static_cast<OutputPower*>(data)->off = mode == ZWLR_OUTPUT_POWER_V1_MODE_OFF;
}

void onWlrootsFailed(void* data, zwlr_output_power_v1*)
{
    static_cast<OutputPower*>(data)->refused = true;
}

void onKdeSupported(void* data, org_kde_kwin_dpms*, std::uint32_t supported)
{
    static_cast<OutputPower*>(data)->refused = supported == 0;
}

void onKdeMode(void* data, org_kde_kwin_dpms*, std::uint32_t mode)
{
    // Standby and suspend are dark too.
    static_cast<OutputPower*>(data)->off = mode != ORG_KDE_KWIN_DPMS_MODE_ON;
}

void onKdeDone(void*, org_kde_kwin_dpms*) {}
}

const zwlr_output_power_v1_listener wlrootsPowerListener{onWlrootsMode, onWlrootsFailed};
const org_kde_kwin_dpms_listener kdePowerListener{onKdeSupported, onKdeMode, onKdeDone};

bool bindPowerManager(PowerManagers& managers, wl_registry* registry, std::uint32_t name, const char* interface)
{
    if (std::strcmp(interface, zwlr_output_power_manager_v1_interface.name) == 0 && !managers.wlroots) {
        managers.wlroots = static_cast<zwlr_output_power_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_output_power_manager_v1_interface, 1));
        return true;
    }
    if (std::strcmp(interface, org_kde_kwin_dpms_manager_interface.name) == 0 && !managers.kde) {
        managers.kde = static_cast<org_kde_kwin_dpms_manager*>(
            wl_registry_bind(registry, name, &org_kde_kwin_dpms_manager_interface, 1));
        return true;
    }
    return false;
}

bool watchOutputPower(const PowerManagers& managers, OutputPower& power, wl_output* output)
{
    if (power.wlroots || power.kde)
        return false;
    // Only asked, never set: the saver leaves the outputs' power alone.
    if (managers.wlroots) {
        power.wlroots = zwlr_output_power_manager_v1_get_output_power(managers.wlroots, output);
        zwlr_output_power_v1_add_listener(power.wlroots, &wlrootsPowerListener, &power);
    } else if (managers.kde) {
        power.kde = org_kde_kwin_dpms_manager_get(managers.kde, output);
        org_kde_kwin_dpms_add_listener(power.kde, &kdePowerListener, &power);
    }
    return power.wlroots || power.kde;
}

void releaseOutputPower(OutputPower& power)
{
    if (power.wlroots)
        zwlr_output_power_v1_destroy(power.wlroots);
    if (power.kde)
        org_kde_kwin_dpms_release(power.kde);
    power = OutputPower{};
}

bool everyOutputOff(const std::vector<const OutputPower*>& outputs)
{
    if (outputs.empty())
        return false;
    for (const OutputPower* power : outputs)
        if (!power->off || power->refused)
            return false;
    return true;
}
