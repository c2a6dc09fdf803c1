#pragma once
// One companion per session: a lock on a file in XDG_RUNTIME_DIR, held for
// the life of the process.
#include <string>

enum class SessionClaim { Ours, Taken, Unavailable };

// Takes the lock; path names its file either way.
SessionClaim claimSession(std::string& path);
