#include "idle/session/plasma_lock_time.h"

#include "idle/session/colon_list.h"
#include "idle/session/kconfig_file.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
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
#include <vector>

namespace {
const char* const fileName = "kscreenlockerrc";
// Plasma's own when the file says nothing: locks after 5 minutes.
constexpr long long defaultMinutes = 5;
// The file holds a few lines; anything larger is not Plasma's.
constexpr std::size_t largestFile = 64 * 1024;

// KConfig writes a new file and renames it over the old one; a folder or a
// link on the way may come, go or be pointed elsewhere.
constexpr std::uint32_t watchedEvents
    = IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;
// Links followed from the file to what it names; a loop ends here.
constexpr int followedLinks = 8;

int watchFd = -1;
// Each folder watched, with the one name in it that leads to the file.
struct Watched {
    int descriptor;
    std::string folder;
    std::string name;
};
std::vector<Watched> watched;

// In $XDG_CONFIG_HOME, else ~/.config.
std::string filePath()
{
    return std::string(g_get_user_config_dir()) + "/" + fileName;
}

// Watches the nearest folder of the path's that exists, for the name in it
// that leads on to the path.
void watchNearest(std::string path)
{
    for (;;) {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos)
            return;
        const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        const int descriptor = inotify_add_watch(watchFd, folder.c_str(), watchedEvents | IN_ONLYDIR);
        if (descriptor >= 0) {
            watched.push_back({descriptor, folder, path.substr(slash + 1)});
            return;
        }
        if ((errno != ENOENT && errno != ENOTDIR) || folder == "/")
            return;
        path = folder;
    }
}

// The file's folder, or the nearest that exists; where the file is a link,
// its target's too, link by link.
void armWatches()
{
    for (const Watched& w : watched)
        inotify_rm_watch(watchFd, w.descriptor);
    watched.clear();
    std::string path = filePath();
    for (int link = 0; link <= followedLinks; ++link) {
        watchNearest(path);
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || std::size_t(length) == sizeof target)
            return;
        const std::string named(target, std::size_t(length));
        path = named.front() == '/' ? named : path.substr(0, path.rfind('/') + 1) + named;
    }
}

// Whether an event in a watched folder may change what the file says: a
// file made anew counts once it is written and closed.
bool concernsTheFile(const inotify_event& event, std::string_view name, const Watched& w)
{
    if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF))
        return true;
    if (name != w.name)
        return false;
    if ((event.mask & IN_CREATE) && !(event.mask & IN_ISDIR)) {
        struct stat about {};
        const std::string path = w.folder + (w.folder == "/" ? "" : "/") + w.name;
        return lstat(path.c_str(), &about) == 0 && S_ISLNK(about.st_mode);
    }
    return true;
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
    const std::string path = filePath();
    std::string bytes, reason;
    if (!readFile(path, bytes, reason)) {
        if (!reason.empty())
            std::fprintf(stderr, "tapwrite-idle: ignored %s: %s\n", path.c_str(), reason.c_str());
        return time;
    }
    // Plasma's own reading: a value it cannot take as a number is its default.
    if (const std::optional<std::string> timeout = kconfigValue(bytes, "Daemon", "Timeout")) {
        long long minutes = 0;
        const char* end = timeout->data() + timeout->size();
        if (const auto [at, status] = std::from_chars(timeout->data(), end, minutes); status == std::errc() && at == end)
            // A day's minutes at most: the time is capped later, and this keeps the product in range.
            time.seconds = minutes > 0 ? (minutes < 24 * 60 ? minutes : 24 * 60) * 60 : 0;
    }
    const std::optional<std::string> autolock = kconfigValue(bytes, "Daemon", "Autolock");
    if (autolock && !kconfigTrue(*autolock))
        time.seconds = 0;
    return time;
}

int watchPlasmaLockTime()
{
    watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd >= 0)
        armWatches();
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
            touched = touched || (event.mask & IN_Q_OVERFLOW);
            for (const Watched& w : watched)
                touched = touched || (w.descriptor == event.wd && concernsTheFile(event, name, w));
            at = nameAt + event.len;
        }
    }
    // A folder or link on the way may have come or gone: watched anew.
    if (touched)
        armWatches();
    return touched;
}
