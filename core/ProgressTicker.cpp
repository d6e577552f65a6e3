#include "core/ProgressTicker.h"

namespace core {

bool ProgressTicker::Tick(bool done) {
  if (value_ >= maximum_) {
    if (!done && ticks_ < maximum_ + 8) {
      ++ticks_;
      return false;
    }
    ++ticks_;
    return true;
  }
  if (done) {
    value_ = maximum_;
    ++ticks_;
    return true;
  }
  ++value_;
  ++ticks_;
  return false;
}

}  // namespace core
