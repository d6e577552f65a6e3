#pragma once
// The one clock through which every fixed wait of the program goes, from the 5 ms polls up
// to the 96 s reboot wait. In the product it is real time; KAVORA_TIME_SCALE (a factor,
// 1 when unset) scales every wait, so `0.001` makes a 96 s wait last 96 ms. Unit tests
// may inject their own clock.
#include <chrono>
#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Waits `ms` milliseconds of program time.
  virtual void Sleep(std::int64_t ms) = 0;
  // Program time in milliseconds since an arbitrary start (a tick count).
  virtual std::int64_t NowMs() = 0;
  // The real duration that `ms` of program time lasts, for waits done by the system
  // (poll(), condition variables).
  virtual std::chrono::nanoseconds ToReal(std::int64_t ms) = 0;
};

// Real time multiplied by a factor.
class ScaledClock : public Clock {
 public:
  explicit ScaledClock(double scale);
  void Sleep(std::int64_t ms) override;
  std::int64_t NowMs() override;
  std::chrono::nanoseconds ToReal(std::int64_t ms) override;
  double scale() const { return scale_; }

 private:
  double scale_;
  std::chrono::steady_clock::time_point start_;
};

// The factor read from KAVORA_TIME_SCALE: 1 when unset, unreadable, zero or negative.
double TimeScaleFromEnvironment();

Clock& TheClock();
// Replaces the process-wide clock (not owned); nullptr restores the default one.
void SetClock(Clock* clock);

inline void SleepMs(std::int64_t ms) { TheClock().Sleep(ms); }
inline std::int64_t TickCountMs() { return TheClock().NowMs(); }

}  // namespace platform
