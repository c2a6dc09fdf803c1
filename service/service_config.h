#pragma once
// Where the service lives and what the notice names: fixed when the program is
// built (this file's definitions are compiled once per destination).
#include <string>

// The service's base URL, ending in "/"; request paths follow it directly.
extern const std::string baseUrl;
// The product web site's host name, as the version notice names it.
extern const std::string siteHost;
// Test builds only: a CA certificate file to trust instead of the system's; empty
// in the product, which keeps the library's own certificate store.
extern const std::string serviceCaFile;
