// orbmanager-cli tool NAME: the tool started in the root folder, one JSON document out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(ToolCli, StartsTheNamedToolInTheRootAndPrintsOnlyItsJson) {
  testing_support::TempFolder root;
  platform::CreateFolders(root / "Config");
  platform::WriteFile(
      root / "Config/KavoraC.ini",
      "[CONFIG]\nOBDVoltageProgram=OBDVoltage.exe\nCaptureLogProgram=Missing.exe\n");
  // A chatty tool: its output must not reach the command's standard output.
  platform::WriteFile(root / "OBDVoltage", "#!/bin/sh\necho '{\"tool\": 1}'\necho noise >&2\n");
  ASSERT_EQ(::chmod((root / "OBDVoltage").c_str(), 0755), 0);
  struct Case {
    const char* word;
    int code;
  };
  for (const Case& c : {Case{"OBDVoltage", 0}, Case{"OBDVoltage.exe", 0}, Case{"CaptureLog", 1},
                        Case{"Missing.exe", 1}, Case{"sh", 2}, Case{"", 2}}) {
    const auto run = clitest::RunCli(root.path(), std::string("tool '") + c.word + "'");
    EXPECT_EQ(run.code, c.code) << c.word << ": " << clitest::CliStderr(root.path());
    if (c.code != 0) continue;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["program"], root / "OBDVoltage");
    EXPECT_EQ(j["workingFolder"], root.path());
    EXPECT_GT(j["pid"].get<int>(), 0);
  }
}

}  // namespace
