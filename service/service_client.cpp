#include "service/service_client.h"

#include "diag/trace.h"
#include "display/typing_engine.h"
#include "service/bulletin.h"
#include "service/service_config.h"
#include "service/text_feed.h"

#include <curl/curl.h>

#include <optional>

std::string serviceUrl(const std::string& suffix)
{
    return baseUrl + suffix;
}

bool performRequest(const std::string& url, ResponseHandler handler)
{
    CURL* handle = curl_easy_init();
    if (!handle)
        return false;
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, handler);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, transferTimeoutMs);
    if (!serviceCaFile.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, serviceCaFile.c_str());
#ifdef _WIN32
    // Schannel fails the whole request when the revocation list or OCSP
    // responder cannot be reached, as on many company networks; a certificate
    // known to be revoked is still refused.
    curl_easy_setopt(handle, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
#endif
    CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    // A broken-off body or an error page must never be taken for the real thing.
    return result == CURLE_OK && status >= 200 && status <= 299;
}

namespace {
// One request whose handler gathers into body: the whole body when the answer
// came complete, nothing otherwise. body is left empty, its memory given back.
std::optional<std::string> requestBody(
    const std::string& url, ResponseHandler handler, std::string& body, bool& tooLarge)
{
    body.clear();
    tooLarge = false;
    const bool complete = performRequest(url, handler) && !tooLarge;
    std::string whole;
    whole.swap(body);
    if (!complete)
        return std::nullopt;
    return whole;
}
}

void getSSText()
{
    std::string url = serviceUrl("sstext");
    trace("getSSText: url = ");
    trace(url);
    if (std::optional<std::string> body = requestBody(url, getssText_cb, feedBody, feedBodyTooLarge)) {
        std::vector<std::string> entries = parseTextFeed(body->data(), body->size());
        // A feed of empty lines only would page through nothing for ever.
        if (feedHasText(entries))
            typingState.sentences.insert(typingState.sentences.end(), entries.begin(), entries.end());
    }
}

void getBulletin()
{
    std::string url = serviceUrl("sys");
    if (std::optional<std::string> body = requestBody(url, getBulletin_cb, bulletinBody, bulletinBodyTooLarge))
        parseBulletin(body->data(), body->size(), serviceBulletin);
}

void startService()
{
    curl_global_init(CURL_GLOBAL_ALL);
    getSSText();
    getBulletin();
}
