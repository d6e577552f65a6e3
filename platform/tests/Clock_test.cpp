#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

#include "platform/Event.h"

namespace {

TEST(Clock, ScaleComesFromTheEnvironmentAndShortensWaits) {
  const std::pair<const char*, double> cases[] = {
      {"0.001", 0.001}, {"", 1.0}, {"abc", 1.0}, {"-1", 1.0}, {"1e7", 1.0}};
  for (const auto& [value, scale] : cases) {
    ::setenv("KAVORA_TIME_SCALE", value, 1);
    EXPECT_DOUBLE_EQ(platform::TimeScaleFromEnvironment(), scale) << value;
  }
  ::unsetenv("KAVORA_TIME_SCALE");
  EXPECT_DOUBLE_EQ(platform::TimeScaleFromEnvironment(), 1.0);

  platform::ScaledClock clock(0.001);
  EXPECT_EQ(clock.ToReal(96000), std::chrono::milliseconds(96));
  const auto startTicks = clock.NowMs();
  clock.Sleep(96000);  // the reboot wait, in 96 ms
  EXPECT_GE(clock.NowMs() - startTicks, 96000) << "ticks run at the same scale";
}

TEST(Event, AutoAndManualReset) {
  platform::ScaledClock fast(0.001);
  platform::SetClock(&fast);
  platform::Event autoReset(false, false);
  EXPECT_FALSE(autoReset.Wait(1000));
  autoReset.Set();
  EXPECT_TRUE(autoReset.Wait(0));
  EXPECT_FALSE(autoReset.Wait(0)) << "released one waiter and cleared itself";

  platform::Event manual(true, false);
  std::thread setter([&] { manual.Set(); });
  EXPECT_TRUE(manual.Wait());
  setter.join();
  EXPECT_TRUE(manual.Wait(0)) << "stays set";
  manual.Reset();
  EXPECT_FALSE(manual.IsSet());
  platform::SetClock(nullptr);
}

}  // namespace
