#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

#include "platform/Event.h"

namespace {

TEST(Clock, ScaleComesFromTheEnvironment) {
  struct Case {
    const char* value;
    double scale;
  } cases[] = {{"0.001", 0.001}, {"2", 2.0}, {"", 1.0}, {"abc", 1.0}, {"-1", 1.0}, {"0", 1.0}};
  for (const auto& c : cases) {
    ::setenv("KAVORA_TIME_SCALE", c.value, 1);
    EXPECT_DOUBLE_EQ(platform::TimeScaleFromEnvironment(), c.scale) << c.value;
  }
  ::unsetenv("KAVORA_TIME_SCALE");
  EXPECT_DOUBLE_EQ(platform::TimeScaleFromEnvironment(), 1.0);
}

TEST(Clock, AScaledClockShortensWaitsAndStretchesTicks) {
  platform::ScaledClock clock(0.001);
  EXPECT_EQ(clock.ToReal(96000), std::chrono::milliseconds(96));
  const auto before = std::chrono::steady_clock::now();
  const auto startTicks = clock.NowMs();
  clock.Sleep(96000);  // the reboot wait, in 96 ms
  const auto real = std::chrono::steady_clock::now() - before;
  EXPECT_GE(clock.NowMs() - startTicks, 96000);
  EXPECT_LT(real, std::chrono::seconds(5));
}

TEST(Event, AutoAndManualReset) {
  platform::ScaledClock fast(0.001);
  platform::SetClock(&fast);
  platform::Event autoReset(false, false);
  EXPECT_FALSE(autoReset.Wait(1000));  // a 1 s time-out, 1 ms here
  autoReset.Set();
  EXPECT_TRUE(autoReset.Wait(0));
  EXPECT_FALSE(autoReset.Wait(0));  // released one waiter and cleared itself

  platform::Event manual(true, false);
  std::thread setter([&] { manual.Set(); });
  EXPECT_TRUE(manual.Wait());
  setter.join();
  EXPECT_TRUE(manual.Wait(0));  // stays set
  manual.Reset();
  EXPECT_FALSE(manual.IsSet());
  platform::SetClock(nullptr);
}

}  // namespace
