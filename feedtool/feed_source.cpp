#include "feedtool/feed_source.h"

#include <filesystem>
#include <fstream>

namespace {
bool isUrl(const std::string& name)
{
    return name.rfind("http://", 0) == 0 || name.rfind("https://", 0) == 0;
}
}

FeedSource readSource(const std::string& name, const ServiceRequest& request)
{
    FeedSource source;
    source.name = name;
    if (isUrl(name)) {
        RequestResult result = performRequest(name, request);
        source.usable = result.complete();
        source.problem = requestProblem(result);
        source.bytes = std::move(result.body);
        return source;
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(name, error);
    std::ifstream in(name, std::ios::binary);
    if (error || !in) {
        source.problem = "cannot be read";
        return source;
    }
    if (size > request.body.limit) {
        source.problem = "it is " + std::to_string(size) + " bytes, over the " + std::to_string(request.body.limit)
            + "-byte cap";
        return source;
    }
    source.bytes.resize(size);
    in.read(source.bytes.data(), static_cast<std::streamsize>(size));
    source.bytes.resize(static_cast<std::size_t>(in.gcount()));
    source.usable = true;
    return source;
}
