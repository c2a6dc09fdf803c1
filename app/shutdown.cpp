#include "app/run_path.h"

#include "diag/trace.h"
#include "display/desk_upkeep.h"
#include "display/renderer_setup.h"

#include <curl/curl.h>

void shutdownSaver()
{
    curl_global_cleanup();
    releaseDisplayHandles();
    closeTrace();
    quitMediaLibraries();
}
