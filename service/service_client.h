#pragma once
// The two start-up requests to the web service: the text feed and the bulletin.
#include <cstddef>
#include <string>

using ResponseHandler = std::size_t (*)(char* piece, std::size_t size, std::size_t count, void* user);

// baseUrl followed directly by suffix.
std::string serviceUrl(const std::string& suffix);
// One blocking GET of url whose body goes to handler piece by piece. True only
// when the whole body arrived with a status of 200 to 299.
bool performRequest(const std::string& url, ResponseHandler handler);
// Requests the text feed; a complete feed with text in it becomes the sentences.
void getSSText();
// Requests the bulletin; a complete one fills the bulletin's fields.
void getBulletin();
// Starts the HTTP library and makes both requests, one after the other.
void startService();

// Bounds on each request, so a stalled service cannot hold the start for long.
inline constexpr long connectTimeoutMs = 3000;
inline constexpr long transferTimeoutMs = 5000;
