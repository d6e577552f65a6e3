// orbmanager-cli tool NAME: the tool started in the root folder, one JSON document out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using nlohmann::json;

TEST(ToolCli, StartsTheNamedToolInTheRootAndPrintsOnlyItsJson) {
  testing_support::TempFolder root;
  root.Put("Config/KavoraC.ini",
           "[CONFIG]\nOBDVoltageProgram=OBDVoltage.exe\nCaptureLogProgram=Missing.exe\n");
  // A chatty tool: its output must not reach the command's standard output.
  const std::string tool =
      root.Put("OBDVoltage", "#!/bin/sh\necho '{\"tool\": 1}'\necho noise >&2\n");
  ASSERT_EQ(::chmod(tool.c_str(), 0755), 0);
  const std::pair<const char*, int> cases[] = {{"OBDVoltage", 0}, {"OBDVoltage.exe", 0},
                                               {"CaptureLog", 1}, {"Missing.exe", 1},
                                               {"sh", 2},         {"", 2}};
  for (const auto& [word, code] : cases) {
    const auto run = clitest::RunCli(root.path(), std::string("tool '") + word + "'");
    EXPECT_EQ(run.code, code) << word << ": " << clitest::CliStderr(root.path());
    if (code != 0) continue;
    const auto j = json::parse(run.out);
    EXPECT_EQ(json({j["program"], j["workingFolder"], j["pid"].get<int>() > 0}),
              json({tool, root.path(), true}));
  }
}

}  // namespace
