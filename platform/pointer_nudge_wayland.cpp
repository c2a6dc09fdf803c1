#include "platform/pointer_nudge_wayland.h"

#include <SDL_syswm.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {
// On SDL's connection, with a queue of our own so that SDL's events stay SDL's.
struct Nudge {
    wl_event_queue* queue = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_buffer* black = nullptr;
    wl_surface* piece = nullptr;
    wl_subsurface* placed = nullptr;
};

Nudge nudge;

void onGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    if (std::strcmp(interface, wl_subcompositor_interface.name) == 0)
        nudge.subcompositor =
            static_cast<wl_subcompositor*>(wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
    else if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        nudge.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        nudge.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

void onGlobalRemoved(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener{onGlobal, onGlobalRemoved};

// One opaque black pixel.
wl_buffer* blackPixel()
{
    const int fd = memfd_create("tapwrite-pixel", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    const std::uint32_t pixel = 0xff000000;
    wl_buffer* buffer = nullptr;
    if (write(fd, &pixel, sizeof pixel) == sizeof pixel) {
        wl_shm_pool* pool = wl_shm_create_pool(nudge.shm, fd, sizeof pixel);
        buffer = wl_shm_pool_create_buffer(pool, 0, 1, 1, 4, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
    }
    close(fd);
    return buffer;
}

bool ready(wl_display* display)
{
    if (nudge.queue)
        return nudge.subcompositor && nudge.compositor && nudge.black;
    nudge.queue = wl_display_create_queue(display);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), nudge.queue);
    wl_registry* registry = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip_queue(display, nudge.queue);
    wl_registry_destroy(registry);
    if (nudge.shm)
        nudge.black = blackPixel();
    return nudge.subcompositor && nudge.compositor && nudge.black;
}
}

void platformNudgePointerLookup(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND)
        return;
    if (!ready(info.info.wl.display))
        return;
    if (nudge.placed) {
        wl_subsurface_destroy(nudge.placed);
        wl_surface_destroy(nudge.piece);
        nudge.placed = nullptr;
        nudge.piece = nullptr;
    } else {
        nudge.piece = wl_compositor_create_surface(nudge.compositor);
        nudge.placed = wl_subcompositor_get_subsurface(nudge.subcompositor, nudge.piece, info.info.wl.surface);
        // Input goes through it to the window, whose surface SDL knows.
        wl_region* none = wl_compositor_create_region(nudge.compositor);
        wl_surface_set_input_region(nudge.piece, none);
        wl_region_destroy(none);
        // Shown with the window's next picture (a subsurface follows its parent's commits).
        wl_surface_attach(nudge.piece, nudge.black, 0, 0);
        wl_surface_damage(nudge.piece, 0, 0, 1, 1);
        wl_surface_commit(nudge.piece);
    }
    wl_display_flush(info.info.wl.display);
}
