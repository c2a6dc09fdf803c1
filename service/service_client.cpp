#include "service/service_client.h"

#include "diag/trace.h"
#include "display/typing_engine.h"
#include "service/bulletin.h"
#include "service/service_config.h"
#include "service/text_feed.h"

#include <curl/curl.h>

const ServiceRequest feedRequest{"sstext", getssText_cb, feedResponse};
const ServiceRequest bulletinRequest{"sys", getBulletin_cb, bulletinResponse};

std::string serviceUrl(const std::string& suffix)
{
    return baseUrl + suffix;
}

bool RequestResult::complete() const
{
    // A broken-off body or an error page must never be taken for the real thing.
    return started && transferCode == CURLE_OK && !tooLarge && status >= 200 && status <= 299;
}

RequestResult performRequest(const std::string& url, const ServiceRequest& request)
{
    RequestResult result;
    request.body.bytes.clear();
    request.body.tooLarge = false;
    CURL* handle = curl_easy_init();
    if (!handle)
        return result;
    result.started = true;
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, request.handler);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, transferTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
    if (!serviceCaFile.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, serviceCaFile.c_str());
#ifdef _WIN32
    // Schannel fails the whole request when the revocation list or OCSP
    // responder cannot be reached, as on many company networks; a certificate
    // known to be revoked is still refused.
    curl_easy_setopt(handle, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
#endif
    CURLcode code = curl_easy_perform(handle);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    curl_easy_cleanup(handle);
    result.transferCode = code;
    result.error = error[0] ? error : curl_easy_strerror(code);
    result.tooLarge = request.body.tooLarge;
    result.limit = request.body.limit;
    // Handed over, so the record holds no memory between requests.
    result.body.swap(request.body.bytes);
    return result;
}

namespace {
// The words for a transfer that failed; empty for one that completed.
std::string transferProblem(const RequestResult& r)
{
    const bool answered = r.status != 0 || !r.body.empty();
    switch (r.transferCode) {
    case CURLE_OK:
        return "";
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        return "no connection to the service: " + r.error;
    case CURLE_OPERATION_TIMEDOUT:
        return "no complete answer within the time limit (" + std::to_string(connectTimeoutMs / 1000)
            + " s to connect, " + std::to_string(transferTimeoutMs / 1000) + " s in all)";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return "the service's certificate was refused: " + r.error;
    case CURLE_SSL_CONNECT_ERROR:
        return "no secure connection could be made: " + r.error;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        if (!answered)
            return "the connection was closed or reset before any answer: " + r.error;
        return "the answer was cut off after " + std::to_string(r.body.size()) + " bytes of its body: " + r.error;
    default:
        return "the transfer failed: " + r.error;
    }
}
}

std::string requestProblem(const RequestResult& r)
{
    if (r.complete())
        return "";
    if (!r.started)
        return "no transfer could be started";
    if (r.tooLarge)
        return "the body is over the " + std::to_string(r.limit) + "-byte cap";
    const std::string failed = transferProblem(r);
    if (!failed.empty())
        return failed;
    if (r.status >= 300 && r.status <= 399)
        return "a redirect (status " + std::to_string(r.status) + "), which the saver does not follow";
    return "status " + std::to_string(r.status) + ", not a success";
}

void getSSText()
{
    std::string url = serviceUrl(feedRequest.path);
    trace("getSSText: url = ");
    trace(url);
    RequestResult result = performRequest(url, feedRequest);
    if (!result.complete())
        return;
    std::vector<std::string> entries = parseTextFeed(result.body.data(), result.body.size());
    // A feed of empty lines only would page through nothing for ever.
    if (feedHasText(entries))
        typingState.sentences.insert(typingState.sentences.end(), entries.begin(), entries.end());
}

void getBulletin()
{
    RequestResult result = performRequest(serviceUrl(bulletinRequest.path), bulletinRequest);
    if (result.complete())
        parseBulletin(result.body.data(), result.body.size(), serviceBulletin);
}

void startService()
{
    curl_global_init(CURL_GLOBAL_ALL);
    getSSText();
    getBulletin();
}
