#include "client/platform/clock.h"

#include <time.h>

namespace platform {
namespace {

std::uint32_t (*tick_source)() = nullptr;

std::uint32_t SystemTick() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t ms =
      static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);  // wraps like the Windows multimedia tick
}

}  // namespace

std::uint32_t TickCount() { return tick_source ? tick_source() : SystemTick(); }

void SetTickSource(std::uint32_t (*source)()) { tick_source = source; }

void SleepMs(unsigned milliseconds) {
  timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
}

}  // namespace platform
