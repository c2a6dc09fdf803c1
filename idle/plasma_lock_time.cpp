#include "idle/plasma_lock_time.h"

#include "idle/colon_list.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <glib.h>
#include <string>
#include <string_view>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const fileName = "kscreenlockerrc";
// Plasma's own when the file says nothing: locks after 5 minutes.
constexpr long long defaultMinutes = 5;
// The file holds a few lines; anything larger is not Plasma's.
constexpr std::size_t largestFile = 64 * 1024;

int watchFd = -1;

// $XDG_CONFIG_HOME, else ~/.config.
std::string configFolder()
{
    return g_get_user_config_dir();
}

// The file's bytes, or the reason it is not taken; absent is "" with no reason.
bool readFile(const std::string& path, std::string& bytes, std::string& reason)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT)
            reason = std::strerror(errno);
        return false;
    }
    struct stat about {};
    if (fstat(fd, &about) != 0 || !S_ISREG(about.st_mode))
        reason = "not a file";
    else {
        // One byte past the largest tells a file too large without reading it all.
        bytes.resize(largestFile + 1);
        std::size_t got = 0;
        ssize_t n = 0;
        while (got < bytes.size() && (n = read(fd, bytes.data() + got, bytes.size() - got)) > 0)
            got += std::size_t(n);
        bytes.resize(got);
        if (n < 0)
            reason = std::strerror(errno);
        else if (got > largestFile)
            reason = "larger than " + std::to_string(largestFile / 1024) + " KiB";
        else if (bytes.find('\0') != std::string::npos)
            reason = "not text";
    }
    close(fd);
    return reason.empty();
}
}

bool onPlasma()
{
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    return desktops && colonListHas(desktops, "KDE");
}

BlankTime plasmaLockTime()
{
    BlankTime time {defaultMinutes * 60, "KDE Plasma's screen lock time", "Timeout in kscreenlockerrc"};
    const std::string path = configFolder() + "/" + fileName;
    std::string bytes, reason;
    if (!readFile(path, bytes, reason)) {
        if (!reason.empty())
            std::fprintf(stderr, "tapwrite-idle: ignored %s: %s\n", path.c_str(), reason.c_str());
        return time;
    }
    GKeyFile* file = g_key_file_new();
    GError* error = nullptr;
    if (!g_key_file_load_from_data(file, bytes.data(), bytes.size(), G_KEY_FILE_NONE, &error)) {
        std::fprintf(stderr, "tapwrite-idle: ignored %s: %s\n", path.c_str(), error->message);
        g_clear_error(&error);
        g_key_file_free(file);
        return time;
    }
    const gboolean autolock = g_key_file_get_boolean(file, "Daemon", "Autolock", &error);
    const bool locks = error || autolock;
    g_clear_error(&error);
    const gint64 minutes = g_key_file_get_int64(file, "Daemon", "Timeout", &error);
    // A day's minutes at most: the time is capped later, and this keeps the product in range.
    if (!error)
        time.seconds = minutes > 0 ? (minutes < 24 * 60 ? minutes : 24 * 60) * 60 : 0;
    g_clear_error(&error);
    g_key_file_free(file);
    if (!locks)
        time.seconds = 0;
    return time;
}

int watchPlasmaLockTime()
{
    watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd < 0)
        return -1;
    const std::string folder = configFolder();
    // KConfig writes a new file and renames it over the old one.
    if (inotify_add_watch(watchFd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE) < 0) {
        close(watchFd);
        watchFd = -1;
    }
    return watchFd;
}

bool plasmaLockTimeTouched()
{
    if (watchFd < 0)
        return false;
    bool touched = false;
    alignas(inotify_event) char buffer[4096];
    ssize_t n = 0;
    while ((n = read(watchFd, buffer, sizeof buffer)) > 0) {
        const std::size_t size = std::size_t(n);
        for (std::size_t at = 0; at + sizeof(inotify_event) <= size;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const std::size_t nameAt = at + sizeof event;
            if (event.len > size - nameAt)
                break;
            std::string_view name(buffer + nameAt, event.len);
            name = name.substr(0, name.find('\0'));
            touched = touched || name == fileName || (event.mask & IN_Q_OVERFLOW);
            at = nameAt + event.len;
        }
    }
    return touched;
}
