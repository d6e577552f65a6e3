#pragma once
// The tick rule of the timed progress window, apart from any window: each one-second tick
// moves the bar and says whether the window closes now.
namespace core {

class ProgressTicker {
 public:
  explicit ProgressTicker(int maximum) : maximum_(maximum) {}

  // One timer tick; `done` is the owner's flag. Returns true when the window closes.
  bool Tick(bool done);

  int value() const { return value_; }
  int ticks() const { return ticks_; }
  int maximum() const { return maximum_; }

 private:
  int maximum_;
  int value_ = 0;
  int ticks_ = 0;
};

}  // namespace core
