// Millisecond tick and sleeping.
#pragma once
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, as an unsigned 32-bit count that
// wraps around after about 49.7 days.
std::uint32_t TickCount();

// Replaces the tick source (tests drive time by hand); nullptr restores the
// system clock.
void SetTickSource(std::uint32_t (*source)());

void SleepMs(unsigned milliseconds);

}  // namespace platform
