#include "feedtool/feed_source.h"

#include "feedtool/report.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// How long a path may take to give what it holds: a FIFO nobody writes to
// never ends, and a file of /proc that calls itself regular and empty may have
// nothing to read and no end either.
constexpr int readTimeLimitMs = 2000;
// The pause between two tries of a read that had nothing yet where the system
// cannot wait for it (poll calls such a file always ready).
constexpr int retryPauseMs = 10;

bool isUrl(const std::string& name)
{
    return name.rfind("http://", 0) == 0 || name.rfind("https://", 0) == 0;
}

std::string kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return S_ISREG(mode) ? "a file" : "a special file";
}

std::string overCap(const std::string& size, std::size_t limit)
{
    return "it is " + size + " bytes, over the " + std::to_string(limit) + "-byte cap";
}

// Up to limit + 1 bytes of file into source.bytes, to its end, within the
// time limit whatever the file calls itself. False, with the reason in
// unreadable, when that fails.
bool readUpTo(int file, const struct stat& status, FeedSource& source, std::size_t limit)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(readTimeLimitMs);
    char buffer[64 * 1024];
    bool waited = false; // the last read had nothing for us
    while (source.bytes.size() <= limit) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        pollfd ready{file, POLLIN, 0};
        const int polled = left > 0 ? ::poll(&ready, 1, static_cast<int>(left)) : 0;
        if (polled == 0) {
            const std::string gave = source.bytes.empty()
                ? "nothing came from it"
                : "it gave " + counted(source.bytes.size(), "byte", "bytes") + " but no end";
            source.unreadable = "it is " + kindOf(status.st_mode) + ", and " + gave + " within "
                + std::to_string(readTimeLimitMs / 1000) + " s";
            return false;
        }
        if (polled < 0 && errno != EINTR) {
            source.unreadable = std::strerror(errno);
            return false;
        }
        if (waited && polled > 0) {
            // Ready by poll's word, empty by read's: no spinning on it.
            ::poll(nullptr, 0, static_cast<int>(std::min<long long>(left, retryPauseMs)));
        }
        const ssize_t got = ::read(file, buffer, std::min(sizeof buffer, limit + 1 - source.bytes.size()));
        waited = got < 0 && errno == EAGAIN;
        if (got == 0)
            return true;
        if (got > 0)
            source.bytes.append(buffer, static_cast<std::size_t>(got));
        else if (errno != EINTR && errno != EAGAIN) {
            source.unreadable = std::strerror(errno);
            return false;
        }
    }
    return true;
}

// The file, kept up to one byte past limit; the system's reason in unreadable
// when it cannot be read (missing, a directory, no permission). A regular
// file's size is the file system's, so a huge one is not read through; a FIFO
// is opened without waiting for a writer, and a tty does not become ours.
void readFile(FeedSource& source, std::size_t limit)
{
    struct stat status {};
    if (::stat(source.name.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
        source.unreadable = "it is a socket, not a file";
        return;
    }
    const int file = ::open(source.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0 || ::fstat(file, &status) != 0) {
        source.unreadable = std::strerror(errno);
        if (file >= 0)
            ::close(file);
        return;
    }
    const bool sized = S_ISREG(status.st_mode) && status.st_size > static_cast<off_t>(limit);
    const bool whole = sized || readUpTo(file, status, source, limit);
    ::close(file);
    if (!whole)
        return;
    if (sized)
        source.problem = overCap(std::to_string(status.st_size), limit);
    else if (source.bytes.size() > limit)
        source.problem = overCap(kindOf(status.st_mode) + " of more than " + std::to_string(limit), limit);
    source.usable = source.problem.empty();
}
}

FeedSource readSource(const std::string& name, const ServiceRequest& request)
{
    FeedSource source;
    source.name = name;
    if (!isUrl(name)) {
        readFile(source, request.body.limit);
        return source;
    }
    RequestResult result = performRequest(name, request);
    source.usable = result.complete();
    source.problem = requestProblem(result);
    source.bytes = std::move(result.body);
    return source;
}

bool reportUnreadable(const FeedSource& source)
{
    if (source.unreadable.empty())
        return false;
    printToolMessage("cannot read " + source.name + ": " + source.unreadable);
    return true;
}
