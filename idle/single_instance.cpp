#include "idle/single_instance.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string nonEmpty(const char* value)
{
    return value && *value ? value : "";
}

// XDG_CACHE_HOME, else ~/.cache; empty without a home.
std::string cacheFolder()
{
    std::string cache = nonEmpty(std::getenv("XDG_CACHE_HOME"));
    if (!cache.empty())
        return cache;
    std::string home = nonEmpty(std::getenv("HOME"));
    if (home.empty())
        if (const passwd* account = getpwuid(getuid()))
            home = nonEmpty(account->pw_dir);
    return home.empty() ? "" : home + "/.cache";
}

// The folder the lock goes in without a runtime folder: another account must
// not be able to put a file of its own there first, so it is ours, a real
// folder and closed to others. Empty (with the reason) when it is not.
std::string privateFolder(std::string& reason)
{
    const std::string cache = cacheFolder();
    if (cache.empty()) {
        reason = "no XDG_RUNTIME_DIR and no home folder";
        return "";
    }
    const std::string folder = cache + "/tapwrite-idle";
    // The cache folder may not exist yet: made as the XDG base folders are.
    mkdir(cache.c_str(), 0700);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = std::strerror(errno);
        return folder;
    }
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0)
        reason = std::strerror(errno);
    else if (!S_ISDIR(status.st_mode))
        reason = folder + " is not a folder";
    else if (status.st_uid != getuid())
        reason = folder + " belongs to another account";
    else if (status.st_mode & (S_IRWXG | S_IRWXO))
        reason = folder + " is open to other accounts";
    return folder;
}

// Why the runtime folder will not hold the lock, or "" where it may: another
// account must not be able to put a lock of its own there first.
std::string runtimeFault(const std::string& runtime)
{
    struct stat status {};
    if (stat(runtime.c_str(), &status) != 0)
        return std::strerror(errno);
    if (!S_ISDIR(status.st_mode))
        return "not a folder";
    if (status.st_uid != getuid())
        return "it belongs to another account";
    if (status.st_mode & (S_IWGRP | S_IWOTH))
        return "other accounts may write in it";
    return "";
}
}

SessionClaim claimSession(std::string& path, std::string& reason)
{
    std::string runtime = nonEmpty(std::getenv("XDG_RUNTIME_DIR"));
    if (const std::string fault = runtime.empty() ? "" : runtimeFault(runtime); !fault.empty()) {
        std::fprintf(stderr, "tapwrite-idle: the lock goes in the cache folder, not in XDG_RUNTIME_DIR %s: %s\n",
            runtime.c_str(), fault.c_str());
        runtime.clear();
    }
    const std::string folder = runtime.empty() ? privateFolder(reason) : runtime;
    path = (folder.empty() ? "" : folder + "/") + "tapwrite-idle.lock";
    if (!reason.empty())
        return SessionClaim::Unavailable;
    // Close-on-exec: a saver we start must not hold the lock after us.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        reason = std::strerror(errno);
        return SessionClaim::Unavailable;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int failed = errno;
        close(fd);
        if (failed == EWOULDBLOCK)
            return SessionClaim::Taken;
        reason = std::strerror(failed);
        return SessionClaim::Unavailable;
    }
    return SessionClaim::Ours; // fd stays open: the lock lasts as long as we do
}
