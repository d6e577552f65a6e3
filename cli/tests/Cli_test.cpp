// orbmanager-cli as a user runs it: JSON out, exit codes, the configuration it reads, the
// update history and the tools it starts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "history/UpdateHistory.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using CliRun = testing_support::ShellResult;
using nlohmann::json;

CliRun Cli(const testing_support::TempFolder& root, const std::string& args,
           const std::string& input = "") {
  return clitest::RunCli(root.path(), args,
                         "XDG_CONFIG_HOME='" + root.path() + "/sdk' LANG=en_US.UTF-8", input);
}

// Unreadable configuration fails each command and is left as it was. A readable one is shown
// as used: bytes that are not UTF-8 replaced, a Base64 address that decodes to a NUL empty, as
// text ends there.
TEST(Cli, ConfigurationsAndTexts) {
  testing_support::TempFolder root;
  const std::string garbage = std::string("[CONFIG]") + '\0' + "\x01\x02binary";
  const std::string config = root.Put("Config/KavoraC.ini", garbage);
  const CliRun bad = Cli(root, "config");
  EXPECT_EQ(json({bad.code, json::parse(bad.out)["exitCode"]}), json({1, 1}));
  EXPECT_NE(clitest::CliStderr(root.path()).find(config + ": it holds binary data"),
            std::string::npos);
  EXPECT_EQ(Cli(root, "start --no").code, 1);  // each command loads it itself
  EXPECT_EQ(platform::ReadFile(config), garbage);

  root.Put("Config/KavoraC.ini",
           "[CONFIG]\nOEMFlag=1\nOEMString=O\xff\nUpdateURL=AA==\nLANGUAGE=1\n[PK]\nPKCount=1\n"
           "PK_1=Old.exe\n");
  root.Put("sdk/kry/KRY.ini", "[COMM]\nType=4\nDatarate=100M\n");
  EXPECT_EQ(Cli(root, "texts").code, 1);  // no language file in this root
  root.Put("Language/EN.xml", "<l><item id=\"28\" text=\"bad\xfe\"/></l>");
  platform::DeleteFile(root / "Kavora.log");
  const CliRun run = Cli(root, "config");
  ASSERT_EQ(run.code, 0);
  const auto j = json::parse(run.out);
  EXPECT_EQ(
      json({j["OEMFlag"], j["OEMString"], j["UpdateURL"], j["language"], j["killList"], j["root"],
            j["comm"]["current"]["Datarate"], j["sdk"]["Name"]}),
      json({true, "O\xef\xbf\xbd", "", 1, json::array({"Old.exe"}), root.path(), 100, "ZADEZO"}));
  EXPECT_FALSE(platform::FileExists(root / "Kavora.log"));  // the program's log is left alone
  const CliRun texts = Cli(root, "texts");
  const auto t = json::parse(texts.out);
  EXPECT_EQ(json({texts.code, t["28"], t["3"]}),
            json({0, "bad\xef\xbf\xbd", "Device is not connected"}));
}

TEST(Cli, ModelCodecsAndExitCodes) {
  testing_support::TempFolder root;
  root.Put("Config/DeviceList.xml",
           R"(<L><Item Name="Pro" SN1="9" SN4="#" SN5="1" HaveDoIP="1"/></L>)");
  root.Put("f.bin", "abc");
  EXPECT_EQ(json::parse(Cli(root, "model 9AB31XXXXX").out)["Name"], "Pro");
  EXPECT_TRUE(json::parse(Cli(root, "model 8AB31XXXXX").out).is_null());
  EXPECT_EQ(json::parse(Cli(root, "md5 f.bin").out), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Cli(root, "base64 encode", "hello").out, "aGVsbG8=");
  EXPECT_EQ(Cli(root, "base64 decode", "aGVsbG8=").out, "hello");
  EXPECT_EQ(Cli(root, "base64 canonical aGVsbG8").out, "false\n");
  // A command that ends without a result still leaves one document for a script to read.
  for (const auto& [args, code] : std::vector<std::pair<const char*, int>>{
           {"no-such-command", 2}, {"model", 2}, {"base64 sideways", 2}, {"md5 missing.bin", 1}}) {
    const CliRun run = Cli(root, args);
    EXPECT_EQ(json({run.code, json::parse(run.out)}),
              json({code, {{"ok", false}, {"exitCode", code}}}))
        << args;
  }
  EXPECT_EQ(Cli(root, "--help").code, 0);
}

// history over a database the procedures wrote.
TEST(Cli, HistoryFiltersByAdapterAndLimits) {
  testing_support::TempFolder root;
  for (const char* bad : {"--limit", "--limit x", "--serial", "--all"})
    EXPECT_EQ(Cli(root, std::string("history ") + bad).code, 2) << bad;
  auto run = Cli(root, "history");
  ASSERT_EQ(run.code, 0) << clitest::CliStderr(root.path());
  EXPECT_EQ(json::parse(run.out), json::array());
  EXPECT_FALSE(platform::FileExists(root / "History.db")) << "asking creates nothing";

  history::UpdateHistory store(root / "History.db");
  for (const char* serial : {"K9ABC00258", "K9ABC00258", "", "K9ABC00999"})
    ASSERT_TRUE(store.Add({"2026-12-07T10:00:00+01:00", serial, 1, history::kUnlock, "", "1.0"}));
  run = Cli(root, "history --serial K9ABC00258 --limit 1");
  ASSERT_EQ(run.code, 0) << clitest::CliStderr(root.path());
  EXPECT_EQ(json::parse(run.out), json::parse(R"([{"time": "2026-12-07T10:00:00+01:00",
      "serial": "K9ABC00258", "pid": 1, "what": "unlock", "subject": "", "versionBefore": "1.0",
      "versionAfter": "", "ok": false, "reason": ""}])"));
  EXPECT_EQ(json::parse(Cli(root, "history").out).size(), 4u);
}

// tool NAME: the tool started in the root folder, one JSON document out.
TEST(Cli, ToolStartsTheNamedToolInTheRootAndPrintsOnlyItsJson) {
  testing_support::TempFolder root;
  root.Put("Config/KavoraC.ini",
           "[CONFIG]\nOBDVoltageProgram=OBDVoltage.exe\nCaptureLogProgram=Missing.exe\n");
  // A chatty tool: its output must not reach the command's standard output.
  const std::string tool =
      root.Put("OBDVoltage", "#!/bin/sh\necho '{\"tool\": 1}'\necho noise >&2\n");
  ASSERT_EQ(::chmod(tool.c_str(), 0755), 0);
  const std::pair<const char*, int> cases[] = {
      {"OBDVoltage", 0}, {"OBDVoltage.exe", 0}, {"CaptureLog", 1}, {"sh", 2}};
  for (const auto& [word, code] : cases) {
    const CliRun run = Cli(root, std::string("tool '") + word + "'");
    EXPECT_EQ(run.code, code) << word << ": " << clitest::CliStderr(root.path());
    if (code != 0) continue;
    const auto j = json::parse(run.out);
    EXPECT_EQ(json({j["program"], j["workingFolder"], j["pid"].get<int>() > 0}),
              json({tool, root.path(), true}));
  }
}

}  // namespace
