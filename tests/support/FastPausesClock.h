#pragma once
// A test clock whose fixed pauses pass faster than its time-outs: tick counts, poll() and
// condition waits run at `timeScale`, sleeps at `pauseScale`. The long pauses of an update
// take milliseconds while a busy machine still gets a reply within a read time-out.
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/Clock.h"

namespace testing_support {

class FastPausesClock : public platform::ScaledClock {
 public:
  FastPausesClock(double timeScale, double pauseScale)
      : ScaledClock(timeScale), pauseScale_(pauseScale) {}
  void Sleep(std::int64_t ms) override {
    std::this_thread::sleep_for(std::chrono::nanoseconds(
        static_cast<std::int64_t>(static_cast<double>(ms) * 1e6 * pauseScale_)));
  }

 private:
  double pauseScale_;
};

}  // namespace testing_support
