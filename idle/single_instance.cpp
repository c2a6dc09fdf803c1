#include "idle/single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SessionClaim claimSession(std::string& path)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    // Without one (a bare X start without logind), a per-account file.
    path = runtime && *runtime ? std::string(runtime) + "/tapwrite-idle.lock"
                               : "/tmp/tapwrite-idle-" + std::to_string(getuid()) + ".lock";
    // Close-on-exec: a saver we start must not hold the lock after us.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return SessionClaim::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        close(fd);
        return taken ? SessionClaim::Taken : SessionClaim::Unavailable;
    }
    return SessionClaim::Ours; // fd stays open: the lock lasts as long as we do
}
