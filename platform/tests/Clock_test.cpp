#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

#include "platform/Event.h"

namespace {

TEST(Clock, ScaleComesFromTheEnvironmentAndShortensWaitsAndEvents) {
  std::string scales;  // unset last
  for (const char* value : {"0.001", "", "abc", "-1", "1e7", static_cast<const char*>(nullptr)}) {
    value ? ::setenv("KAVORA_TIME_SCALE", value, 1) : ::unsetenv("KAVORA_TIME_SCALE");
    scales += std::to_string(platform::TimeScaleFromEnvironment()) + " ";
  }
  EXPECT_EQ(scales, "0.001000 1.000000 1.000000 1.000000 1.000000 1.000000 ");

  platform::ScaledClock clock(0.001);
  EXPECT_EQ(clock.ToReal(96000), std::chrono::milliseconds(96));
  const auto startTicks = clock.NowMs();
  clock.Sleep(96000);  // the reboot wait, in 96 ms
  EXPECT_GE(clock.NowMs() - startTicks, 96000) << "ticks run at the same scale";

  // Events on that clock: auto and manual reset.
  platform::SetClock(&clock);
  platform::Event autoReset(false, false);
  EXPECT_FALSE(autoReset.Wait(1000));
  autoReset.Set();
  // One waiter released, and the event clear again.
  EXPECT_TRUE(autoReset.Wait(0) && !autoReset.Wait(0));

  platform::Event manual(true, false);
  std::thread setter([&] { manual.Set(); });
  EXPECT_TRUE(manual.Wait());
  setter.join();
  EXPECT_TRUE(manual.Wait(0));  // still set
  manual.Reset();
  EXPECT_FALSE(manual.IsSet());
  platform::SetClock(nullptr);
}

}  // namespace
