#include "idle/session/lost_session.h"

#include "idle/saver/saver_process.h"

#include <cstdio>
#include <cstdlib>

void endForLostSession(const char* what)
{
    std::fprintf(stderr, "tapwrite-idle: %s went away\n", what);
    endSaverAndWait();
    std::exit(1);
}
