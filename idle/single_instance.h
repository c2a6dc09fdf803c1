#pragma once
// One companion per session: a lock on a file held for the life of the
// process, in XDG_RUNTIME_DIR where that is the account's own folder and no
// other may write in it, else (with a line saying why) in a folder only this
// account can write (tapwrite-idle under its cache folder, made with mode 0700).
#include <string>

enum class SessionClaim { Ours, Taken, Unavailable };

// Takes the lock; path names its file either way, and reason why it could
// not be taken when Unavailable.
SessionClaim claimSession(std::string& path, std::string& reason);
