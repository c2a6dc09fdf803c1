// A small Wayland client that holds an idle inhibitor, as a film player
// does: a toplevel window with a plain buffer, and a
// zwp_idle_inhibit_manager_v1 inhibitor on its surface. The compositor
// honours it only while the surface is visible, so it prints "shown" once
// the compositor has drawn the window, then holds it until it is ended.
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {
wl_compositor* compositor = nullptr;
wl_shm* shm = nullptr;
xdg_wm_base* shell = nullptr;
zwp_idle_inhibit_manager_v1* inhibitManager = nullptr;
bool configured = false;
bool shown = false;

void onGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0)
        shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        inhibitManager = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onPing(void*, xdg_wm_base* base, std::uint32_t serial)
{
    xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener shellListener = {onPing};

void onConfigure(void*, xdg_surface* surface, std::uint32_t serial)
{
    xdg_surface_ack_configure(surface, serial);
    configured = true;
}

const xdg_surface_listener surfaceListener = {onConfigure};

void onFrame(void*, wl_callback* callback, std::uint32_t)
{
    wl_callback_destroy(callback);
    shown = true;
}

const wl_callback_listener frameListener = {onFrame};

// A grey buffer the compositor can show; any size does for a tiled window.
wl_buffer* plainBuffer(int width, int height)
{
    const int stride = width * 4;
    const int size = stride * height;
    const int fd = memfd_create("idle-inhibitor", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0)
        return nullptr;
    void* pixels = mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    std::memset(pixels, 0x80, std::size_t(size));
    munmap(pixels, std::size_t(size));
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}
}

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "idle_inhibitor: no Wayland display\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!compositor || !shm || !shell || !inhibitManager) {
        std::fprintf(stderr, "idle_inhibitor: the compositor lacks wl_shm, xdg_wm_base or an idle inhibit manager\n");
        return 1;
    }
    xdg_wm_base_add_listener(shell, &shellListener, nullptr);
    wl_surface* surface = wl_compositor_create_surface(compositor);
    xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(shell, surface);
    xdg_surface_add_listener(shellSurface, &surfaceListener, nullptr);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
    xdg_toplevel_set_title(toplevel, "idle inhibitor");
    zwp_idle_inhibit_manager_v1_create_inhibitor(inhibitManager, surface);
    // The first commit carries no buffer: the compositor answers with a configure.
    wl_surface_commit(surface);
    while (!configured)
        if (wl_display_dispatch(display) < 0)
            return 1;
    wl_buffer* buffer = plainBuffer(256, 256);
    if (!buffer)
        return 1;
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, 256, 256);
    wl_callback_add_listener(wl_surface_frame(surface), &frameListener, nullptr);
    wl_surface_commit(surface);
    while (!shown)
        if (wl_display_dispatch(display) < 0)
            return 1;
    std::printf("shown\n");
    std::fflush(stdout);
    // Held until the compositor goes or the test ends us.
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
