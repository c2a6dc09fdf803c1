// The saver's command on Linux. The saver proper loads dozens of libraries,
// and a termination request that came while the loader was at work would end
// it with the default status. This program is static, so nothing runs before
// its own code: it holds the requests off at its first instruction and starts
// the saver proper, which lies beside it under its own name and "-saver".
// The mask and any request that waits cross the exec; the saver catches them
// before its libraries start, and a waiting one then ends it with 0.
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

#if defined(__x86_64__)
// The entry point (the link names it): block SIGHUP, SIGINT and SIGTERM
// (bits 0, 1 and 14 of the kernel's set) before the C library's start-up
// runs, then go on to it with the registers the kernel gave, %rdx zero.
asm(R"(
    .section .rodata
    .balign 8
launcherTerminationRequests:
    .quad 0x4003
    .text
    .globl launcherFirstInstruction
    .type launcherFirstInstruction, @function
launcherFirstInstruction:
    endbr64
    mov $14, %eax
    xor %edi, %edi
    lea launcherTerminationRequests(%rip), %rsi
    xor %edx, %edx
    mov $8, %r10d
    syscall
    xor %edx, %edx
    jmp _start
    .size launcherFirstInstruction, . - launcherFirstInstruction
)");
#endif

int main(int, char** argv)
{
    // Elsewhere the C library's start-up comes first; this is as early as it gets.
    sigset_t requests;
    sigemptyset(&requests);
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&requests, number);
    sigprocmask(SIG_BLOCK, &requests, nullptr);

    static const char suffix[] = "-saver";
    char saver[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", saver, sizeof saver - sizeof suffix);
    if (length >= ssize_t(sizeof saver - sizeof suffix))
        errno = ENAMETOOLONG;
    if (length <= 0 || errno == ENAMETOOLONG) {
        std::fprintf(stderr, "tapwrite: cannot find where this program lies: %s\n", std::strerror(errno));
        return 1;
    }
    std::memcpy(saver + length, suffix, sizeof suffix);
    execv(saver, argv);
    std::fprintf(stderr, "tapwrite: cannot start %s: %s\n", saver, std::strerror(errno));
    return 1;
}
