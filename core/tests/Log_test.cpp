#include "core/Log.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::TempFolder;

struct Device {
  void ReadInfo() { LOG_INFO("Device SN: {0}", "9A1B1C2D3E"); }
};

TEST(Log, FreshFilePatternRotationAndNowhere) {
  TempFolder dir;
  const std::string path = dir.Put("Kavora.log", "old run\n");
  core::SetUpLog(path);
  EXPECT_EQ(*platform::ReadFile(path), "");  // deleted at start
  Device().ReadInfo();
  LOG_WARN("Second {0}.", 2);
  core::Log()->debug("hidden");  // trace and debug are dropped
  // Flushed without a shutdown.
  EXPECT_TRUE(std::regex_match(
      *platform::ReadFile(path),
      std::regex(
          R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] \[Kavora\] \[info\] \[Log_test\.cpp:\d+\] Device SN: 9A1B1C2D3E\n)"
          R"(\[[^\]]+\] \[Kavora\] \[warning\] \[Log_test\.cpp:\d+\] Second 2\.\n)")));
  EXPECT_EQ(core::FunctionNameOf("bool core::ZConfig::Load()") + " " +
                core::FunctionNameOf("std::vector<int> ns::Z<T>::Get(int) [with T = int]"),
            "ZConfig::Load Z<T>::Get");

  // Rotated at five mebibytes, three files kept.
  core::SetUpLog(dir / "Kavora.log");
  const std::string chunk(1000, 'x');
  for (int i = 0; i < 26000; ++i) LOG_INFO("{0}", chunk);  // about 26 MB
  const auto size = [&](const char* name) { return platform::FileSize(dir / name).value_or(0); };
  EXPECT_TRUE(size("Kavora.2.log") && size("Kavora.3.log") && !size("Kavora.4.log"));
  EXPECT_TRUE(size("Kavora.1.log") <= 5ul * 1024 * 1024 &&
              size("Kavora.1.log") > 5ul * 1024 * 1024 - 2000);

  core::SetUpLog("/nonexistent-folder/Kavora.log");  // logs nowhere without failing
  LOG_ERROR("goes nowhere");
}

}  // namespace
