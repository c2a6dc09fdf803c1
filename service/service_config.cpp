#include "service/service_config.h"

#ifndef TAPWRITE_BASE_URL
#define TAPWRITE_BASE_URL "https://service.tapwrite.example/"
#endif
#ifndef TAPWRITE_SITE_HOST
#define TAPWRITE_SITE_HOST "www.tapwrite.example"
#endif
#ifndef TAPWRITE_CA_FILE
#define TAPWRITE_CA_FILE ""
#endif

const std::string baseUrl = TAPWRITE_BASE_URL;
const std::string siteHost = TAPWRITE_SITE_HOST;
const std::string serviceCaFile = TAPWRITE_CA_FILE;
