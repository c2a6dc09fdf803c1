#pragma once
// The monotonic clock the companion measures its own waits with.
#include <cstdint>

std::uint64_t monotonicMicroseconds();
