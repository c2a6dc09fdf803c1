#pragma once
// How often a process has woken: the voluntary context switches of all its
// threads, from /proc/<pid>/task/*/status.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/types.h>

inline long wakeUpsOf(pid_t process)
{
    long wakeUps = 0;
    std::error_code error;
    for (const auto& task :
        std::filesystem::directory_iterator("/proc/" + std::to_string(process) + "/task", error)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                wakeUps += std::atol(line.c_str() + line.find(':') + 1);
    }
    return wakeUps;
}
