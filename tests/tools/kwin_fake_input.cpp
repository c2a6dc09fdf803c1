// A person's keys and pointer on KWin, through org_kde_kwin_fake_input.
//   kwin_fake_input hold          stays connected until ended: KWin's seat
//                                 has a pointer only while a fake input
//                                 client is; prints "held" once it is
//   kwin_fake_input key CODE      presses and releases a key (evdev code)
//   kwin_fake_input move DX DY    moves the pointer by that much
//   kwin_fake_input place X Y     puts the pointer there on the desk
// Each action is done once KWin has handled it; the exit code is 0 then.
#include "fake-input-client-protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <wayland-client.h>

namespace {
org_kde_kwin_fake_input* fakeInput = nullptr;

void onGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    // Keys came with version 4, absolute moves with 3.
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fakeInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

// A whole number within the desk's reach; false for anything else.
bool number(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    value = int(parsed);
    return end != text && *end == '\0' && parsed >= -100000 && parsed <= 100000;
}

// Sends the action; false when its arguments are not what it takes.
bool act(const std::string& action, int argc, char** argv)
{
    int a = 0;
    int b = 0;
    if (action == "hold")
        return argc == 2;
    if (action == "key" && argc == 3 && number(argv[2], a) && a >= 0) {
        for (auto state : {WL_KEYBOARD_KEY_STATE_PRESSED, WL_KEYBOARD_KEY_STATE_RELEASED})
            org_kde_kwin_fake_input_keyboard_key(fakeInput, std::uint32_t(a), state);
        return true;
    }
    if (argc != 4 || !number(argv[2], a) || !number(argv[3], b))
        return false;
    if (action == "move")
        org_kde_kwin_fake_input_pointer_motion(fakeInput, wl_fixed_from_int(a), wl_fixed_from_int(b));
    else if (action == "place")
        org_kde_kwin_fake_input_pointer_motion_absolute(fakeInput, wl_fixed_from_int(a), wl_fixed_from_int(b));
    return action == "move" || action == "place";
}
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kwin_fake_input hold | key CODE | move DX DY | place X Y\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "kwin_fake_input: no Wayland compositor\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    if (wl_display_roundtrip(display) < 0 || !fakeInput) {
        std::fprintf(stderr, "kwin_fake_input: the compositor offers no org_kde_kwin_fake_input 4\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fakeInput, "tapwrite tests", "a person's input in the tests");
    if (!act(argv[1], argc, argv)) {
        std::fprintf(stderr, "kwin_fake_input: cannot %s with those arguments\n", argv[1]);
        return 2;
    }
    // The compositor has handled every request once it answers the round trip.
    if (wl_display_roundtrip(display) < 0) {
        std::fprintf(stderr, "kwin_fake_input: the compositor went away\n");
        return 1;
    }
    if (std::strcmp(argv[1], "hold") == 0) {
        std::printf("held\n");
        std::fflush(stdout);
        while (wl_display_dispatch(display) >= 0) {
        }
    }
    wl_display_disconnect(display);
    return 0;
}
