// The built tool programs: found under their configured names, and CaptureLog's window doing
// its work when started in a root folder as the device page starts it.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/ZConfig.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(ToolPrograms, ConfiguredNamesResolveToTheBuiltPrograms) {
  testing_support::TempFolder root;
  core::ZConfig& config = core::ZConfig::Instance();
  ASSERT_TRUE(config.LoadFrom(root.path()));
  const std::pair<std::string, const char*> tools[] = {
      {config.DoIPSwitchProgram, "KRYDoIPConfig"},
      {config.OBDVoltageProgram, "OBDVoltage"},
      {config.CaptureLogProgram, "CaptureLog"},
      {config.RepairDeviceProgram, "RepairDevice"}};
  for (const auto& [configured, built] : tools) {
    const std::string found = platform::ResolveProgram(configured, root.path());
    EXPECT_EQ(found, platform::JoinPath(platform::ProgramFolder(), built)) << configured;
  }
}

TEST(ToolPrograms, CaptureLogPacksTheRootFolderItIsStartedIn) {
  testing_support::TempFolder root;
  platform::WriteFile(root / "Kavora.log", "a line\n");
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  platform::ProcessHandle tool = platform::StartProgram(
      {platform::ResolveProgram("CaptureLog.exe"), {}, root.path(), platform::ShowState::Normal});
  ASSERT_TRUE(tool.valid());
  std::string archive;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (archive.empty() && std::chrono::steady_clock::now() < end) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(root / "Logs", ec), last; !ec && it != last;
         it.increment(ec))
      if (it->path().extension() == ".gz") archive = it->path().string();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(tool.pid(), SIGTERM);
  tool.Wait();
  ASSERT_FALSE(archive.empty());
  EXPECT_NE(platform::FileNameOf(archive).find("KavoraLog_"), std::string::npos);
  EXPECT_TRUE(platform::FileExists(root / "CaptureLog.log"));
}

}  // namespace
