#include "feedtool/feed_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
bool isUrl(const std::string& name)
{
    return name.rfind("http://", 0) == 0 || name.rfind("https://", 0) == 0;
}

// The whole file, kept up to one byte past limit and counted to its end; the
// system's reason in unreadable when it cannot be read (missing, a directory,
// no permission).
void readFile(FeedSource& source, std::size_t limit)
{
    std::FILE* file = std::fopen(source.name.c_str(), "rb");
    if (!file) {
        source.unreadable = std::strerror(errno);
        return;
    }
    char buffer[64 * 1024];
    std::size_t total = 0;
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) {
        total += got;
        if (source.bytes.size() <= limit)
            source.bytes.append(buffer, std::min(got, limit + 1 - source.bytes.size()));
    }
    if (std::ferror(file))
        source.unreadable = std::strerror(errno);
    std::fclose(file);
    if (!source.unreadable.empty())
        return;
    if (total > limit)
        source.problem = "it is " + std::to_string(total) + " bytes, over the " + std::to_string(limit) + "-byte cap";
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
    std::fprintf(stderr, "tapwrite-feed: cannot read %s: %s\n", source.name.c_str(), source.unreadable.c_str());
    return true;
}
