#pragma once
// The two start-up requests to the web service: the text feed and the bulletin.
#include "service/response_body.h"

#include <cstddef>
#include <string>

using ResponseHandler = std::size_t (*)(char* piece, std::size_t size, std::size_t count, void* user);

// A request as the service knows it: its path behind baseUrl, and its handler
// together with the one body record that handler fills.
struct ServiceRequest {
    const char* path;
    ResponseHandler handler;
    ResponseBody& body;
};
extern const ServiceRequest feedRequest;     // "sstext", getssText_cb
extern const ServiceRequest bulletinRequest; // "sys", getBulletin_cb

// How one request ended, and its body, whole or not.
struct RequestResult {
    bool started = false;   // a transfer handle was had
    int transferCode = 0;   // the library's result code, 0 when the transfer completed
    long status = 0;        // the HTTP status; 0 without an answer
    bool tooLarge = false;  // the body went past its cap
    std::size_t limit = 0;  // that cap
    std::string body;
    std::string error;      // the library's own words on a failed transfer
    // The only kind of answer the saver applies: all of it, with a 2xx status.
    bool complete() const;
};

// baseUrl followed directly by suffix.
std::string serviceUrl(const std::string& suffix);
// One blocking GET of url, its body gathered by the request's own handler into
// its own record, then handed over in the result (the record is left empty).
RequestResult performRequest(const std::string& url, const ServiceRequest& request);
// Why a result gives the saver nothing, in a reader's words; empty when complete.
std::string requestProblem(const RequestResult& result);
// Requests the text feed; a complete feed with text in it becomes the sentences.
void getSSText();
// Requests the bulletin; a complete one fills the bulletin's fields.
void getBulletin();
// Starts the HTTP library and makes both requests, one after the other.
void startService();

// Bounds on each request, so a stalled service cannot hold the start for long.
inline constexpr long connectTimeoutMs = 3000;
inline constexpr long transferTimeoutMs = 5000;
