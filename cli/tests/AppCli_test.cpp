// app list|show|install|update|remove|run as a user runs them, against the loopback file
// server and an installer that records how it was run, and the history they leave.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "codec/MD5.h"
#include "platform/Files.h"
#include "tests/support/RecordingInstaller.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/WaitForFile.h"

namespace {

using nlohmann::json;

// It also talks on its standard output, which must not reach the command's own.
const std::string kInstaller =
    testing_support::RecordingInstaller("3.0") + "echo 'installer: done'\n";

class AppCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web.started());
    web.Put("apps/5/install.exe", kInstaller);
    root.Put("Language/EN.xml", "<lang/>");
    root.Put("Config/KavoraC.ini", "[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nOfflineMode=0\n");
    Catalogue("3.0", codec::MD5Text(kInstaller));
  }
  void Catalogue(const std::string& version, const std::string& md5) {
    root.Put("Download/APPS.xml",
             "<APPS><CLASS><ITEM><ID>1</ID><NAME>Diagnosis</NAME></ITEM></CLASS><APP>"
             "<ITEM><ID>5</ID><CLSID>1</CLSID><NAME>Scope</NAME><VERSION>" +
                 version + "</VERSION><SIZE>" + std::to_string(kInstaller.size()) + "</SIZE><MD5>" +
                 md5 + "</MD5><DOWNLOADURL>" + web.Url("/apps/5/install.exe") +
                 "</DOWNLOADURL></ITEM><ITEM><ID>6</ID><CLSID>4</CLSID><NAME>Loose</NAME></ITEM>"
                 "</APP></APPS>");
  }
  testing_support::ShellResult Cli(const std::string& args) {
    return clitest::RunCli(root.path(), args,
                           "XDG_CONFIG_HOME='" + root.path() + "' KAVORA_TIME_SCALE=0.001");
  }
  std::string Stderr() { return clitest::CliStderr(root.path()); }
  std::string Runs() { return platform::ReadFile(root / "Apps/5/runs.log").value_or(""); }

  testing_support::ServedFolder web{"127.0.0.63"};
  testing_support::TempFolder root;
};

TEST_F(AppCliTest, InstallRunUpdateAndRemoveLikeTheWindow) {
  const json list = json::parse(Cli("app list").out);
  ASSERT_EQ(list.size(), 2u) << Stderr();
  EXPECT_EQ(json({list[0]["class"], list[1]["class"], list[0]["state"]}),
            json({"Diagnosis", nullptr, "not installed"}));
  EXPECT_EQ(json::parse(Cli("app show 5").out)["buttons"],
            json({{"install", true}, {"update", false}, {"uninstall", false}, {"run", false}}));

  // Each command is refused where the window's button would be disabled.
  const struct {
    const char* args;
    int code;
    const char* runs;
  } steps[] = {
      {"app run 5", 1, ""},        {"app remove 5", 1, ""},    {"app install 5", 0, "i\n"},
      {"app install 5", 1, "i\n"}, {"app update 5", 1, "i\n"}, {"app run 5", 0, "i\n"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.args);
    EXPECT_EQ(json({Cli(s.args).code, Runs()}), json({s.code, s.runs})) << Stderr();
    if (std::string(s.args) == "app install 5" && s.code == 0) {
      EXPECT_NE(Stderr().find("[download] 100%"), std::string::npos) << Stderr();
    }
  }
  EXPECT_TRUE(testing_support::WaitForFile(root / "Apps/5/started"));  // in WorkDir
  EXPECT_EQ(platform::ReadFile(root / "Apps/5/started").value_or(""), "--demo\n");

  // The installer ran but wrote 3.0 again: the update did not happen.
  Catalogue("3.1", codec::MD5Text(kInstaller));
  auto run = Cli("app update 5");
  const json j = json::parse(run.out);
  EXPECT_EQ(json({run.code, Runs(), j.at("versionChanged"), j.at("state")}),
            json({1, "i\nu\ni\n", false, "update available"}));
  run = Cli("app remove 5");
  EXPECT_EQ(json({run.code, Runs(), json::parse(run.out)["state"]}),
            json({0, "i\nu\ni\nu\n", "not installed"}));

  // Each run leaves its record, with the versions it found and left and, for a failure,
  // what the user was shown.
  std::vector<std::string> records;
  for (const auto& r : json::parse(Cli("history").out))
    records.emplace_back(clitest::RecordLine(r));
  EXPECT_EQ(records, (std::vector<std::string>{
                         "app-removal Scope 3.0> ok: ",
                         "app-update Scope 3.0>3.0 failed: The installed version did not change.",
                         "app-install Scope >3.0 ok: "}));
  EXPECT_EQ(Cli("app show 99").code, 1);
  for (const char* bad : {"app", "app list 5", "app show", "app explode 5"})
    EXPECT_EQ(Cli(bad).code, 2) << bad;
}

}  // namespace
