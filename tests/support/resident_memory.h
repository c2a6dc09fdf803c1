#pragma once
// Resident set size of this process in KiB, from /proc/self/statm.
#include <fstream>

#include <unistd.h>

inline long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long total = 0;
    long resident = 0;
    statm >> total >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
