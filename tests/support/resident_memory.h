#pragma once
// Resident set size in KiB, from /proc/<pid>/statm: of this process, or of
// another one by its id (0 once it has gone).
#include <fstream>
#include <string>

#include <sys/types.h>
#include <unistd.h>

inline long residentKiB(pid_t process = 0)
{
    std::ifstream statm(process ? "/proc/" + std::to_string(process) + "/statm" : std::string("/proc/self/statm"));
    long total = 0;
    long resident = 0;
    statm >> total >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
