#include "platform/Clock.h"

#include <atomic>
#include <cstdlib>
#include <thread>

namespace platform {

ScaledClock::ScaledClock(double scale)
    : scale_(scale > 0 ? scale : 1.0), start_(std::chrono::steady_clock::now()) {}

void ScaledClock::Sleep(std::int64_t ms) {
  if (ms <= 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(ToReal(ms));
}

std::int64_t ScaledClock::NowMs() {
  const auto real = std::chrono::steady_clock::now() - start_;
  const double ms = std::chrono::duration<double, std::milli>(real).count() / scale_;
  return static_cast<std::int64_t>(ms);
}

std::chrono::nanoseconds ScaledClock::ToReal(std::int64_t ms) {
  if (ms <= 0) return std::chrono::nanoseconds(0);
  return std::chrono::nanoseconds(
      static_cast<std::int64_t>(static_cast<double>(ms) * 1e6 * scale_));
}

double TimeScaleFromEnvironment() {
  const char* text = std::getenv("KAVORA_TIME_SCALE");
  if (!text || !*text) return 1.0;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || !(value > 0) || value > 1e6) return 1.0;
  return value;
}

namespace {
std::atomic<Clock*> g_override{nullptr};

Clock& DefaultClock() {
  static ScaledClock clock(TimeScaleFromEnvironment());
  return clock;
}
}  // namespace

Clock& TheClock() {
  Clock* c = g_override.load(std::memory_order_acquire);
  return c ? *c : DefaultClock();
}

void SetClock(Clock* clock) { g_override.store(clock, std::memory_order_release); }

}  // namespace platform
