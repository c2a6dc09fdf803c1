#pragma once
// Where the tool reads a feed or a bulletin from: a file, or a URL fetched
// with the saver's own request, so that a URL gives exactly what a saver gets.
#include "service/service_client.h"

#include <string>

struct FeedSource {
    std::string name;       // the file or URL as given
    std::string unreadable; // a file the tool could not read: the system's reason, or what it waited for in vain
    bool usable = false;    // a saver would apply these bytes
    std::string bytes;      // what arrived (a file: up to just past the cap; none when its size is over it)
    std::string problem;    // why a saver would apply nothing; empty when usable
};

// Reads name through request (feedRequest or bulletinRequest): the same
// handler, cap, time limits, status rule and certificate checks as the saver.
FeedSource readSource(const std::string& name, const ServiceRequest& request);
// Says on standard error why the source could not be read; false when it could.
bool reportUnreadable(const FeedSource& source);
