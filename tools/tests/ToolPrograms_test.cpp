// The built tool programs are found under their configured names.
#include <gtest/gtest.h>

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

}  // namespace
