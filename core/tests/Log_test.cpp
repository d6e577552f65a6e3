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

TEST(Log, FreshFileDefaultPatternSourceAndFunction) {
  TempFolder dir;
  const std::string path = dir / "Kavora.log";
  platform::WriteFile(path, "old run\n");
  core::SetUpLog(path);
  EXPECT_EQ(*platform::ReadFile(path), "");  // deleted at start
  Device().ReadInfo();
  LOG_WARN("Second {0}.", 2);
  core::Log()->debug("hidden");                        // trace and debug are dropped
  const std::string text = *platform::ReadFile(path);  // flushed without a shutdown
  const std::regex line(
      R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] \[Kavora\] \[info\] \[Log_test\.cpp:\d+\] Device SN: 9A1B1C2D3E\n)"
      R"(\[[^\]]+\] \[Kavora\] \[warning\] \[Log_test\.cpp:\d+\] Second 2\.\n)");
  EXPECT_TRUE(std::regex_match(text, line)) << text;
  EXPECT_EQ(text.find("hidden"), std::string::npos);
}

TEST(Log, FunctionNamesAreClassColonColonFunction) {
  struct Case {
    const char *pretty, *name;
  } cases[] = {
      {"bool core::ZConfig::Load()", "ZConfig::Load"},
      {"void {anonymous}::Device::ReadInfo()", "Device::ReadInfo"},
      {"std::vector<int> ns::Z<T>::Get(int) [with T = int]", "Z<T>::Get"},
  };
  for (const auto& c : cases) EXPECT_EQ(core::FunctionNameOf(c.pretty), c.name) << c.pretty;
}

TEST(Log, RotatesAtFiveMebibytesKeepingThreeFiles) {
  TempFolder dir;
  const std::string path = dir / "Kavora.log";
  core::SetUpLog(path);
  const std::string chunk(1000, 'x');
  for (int i = 0; i < 26000; ++i) LOG_INFO("{0}", chunk);  // about 26 MB
  for (const char* kept : {"Kavora.1.log", "Kavora.2.log", "Kavora.3.log"})
    EXPECT_TRUE(platform::FileExists(dir / kept)) << kept;
  EXPECT_FALSE(platform::FileExists(dir / "Kavora.4.log"));
  EXPECT_LE(*platform::FileSize(dir / "Kavora.1.log"), 5u * 1024 * 1024);
  EXPECT_GT(*platform::FileSize(dir / "Kavora.1.log"), 5u * 1024 * 1024 - 2000);

  core::SetUpLog("/nonexistent-folder/Kavora.log");  // logs nowhere without failing
  LOG_ERROR("goes nowhere");
}

}  // namespace
