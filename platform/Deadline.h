#pragma once
// A point in program time by which an operation on a peer must be over, whatever the peer
// does. Each pass of a loop that waits on a peer asks its deadline, so a peer that keeps
// talking cannot hold the loop longer than one that says nothing.
#include <cstdint>

#include "platform/Clock.h"

namespace platform {

class Deadline {
 public:
  static Deadline After(std::int64_t ms) { return Deadline(TheClock().NowMs() + ms, false); }
  static Deadline Never() { return Deadline(0, true); }

  bool Passed() const { return !never_ && TheClock().NowMs() >= at_; }
  // Program milliseconds left (0 once passed); -1 for a deadline that never comes.
  std::int64_t LeftMs() const {
    if (never_) return -1;
    const std::int64_t left = at_ - TheClock().NowMs();
    return left > 0 ? left : 0;
  }
  // The earlier of this deadline and `ms` from now: one step of a longer wait.
  Deadline Within(std::int64_t ms) const {
    const Deadline step = After(ms);
    return never_ || step.at_ < at_ ? step : *this;
  }

 private:
  Deadline(std::int64_t at, bool never) : at_(at), never_(never) {}
  std::int64_t at_;
  bool never_;
};

}  // namespace platform
