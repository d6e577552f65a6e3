// orbmanager-cli as a user runs it: JSON out, exit codes, the configuration it reads.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using CliRun = testing_support::ShellResult;

CliRun Cli(const testing_support::TempFolder& root, const std::string& args,
           const std::string& input = "") {
  return clitest::RunCli(root.path(), args,
                         "XDG_CONFIG_HOME='" + root.path() + "/sdk' LANG=en_US.UTF-8", input);
}

TEST(Cli, ConfigShowsEveryKeyAsUsed) {
  testing_support::TempFolder root;
  platform::CreateFolders(root / "Config");
  platform::CreateFolders(root / "sdk/kry");
  platform::WriteFile(root / "Config/KavoraC.ini",
                      "[CONFIG]\nOEMFlag=1\nUpdateURL=aHR0cDovLzEyNy4wLjAuMS91cGRhdGUuaW5p\n"
                      "LANGUAGE=0\n[PK]\nPKCount=1\nPK_1=Old.exe\n");
  platform::WriteFile(root / "sdk/kry/KRY.ini", "[COMM]\nType=4\nDatarate=100M\n");
  const CliRun run = Cli(root, "config");
  ASSERT_EQ(run.code, 0);
  const auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["OEMFlag"], true);
  EXPECT_EQ(j["UpdateURL"], "http://127.0.0.1/update.ini");
  EXPECT_EQ(j["language"], 0);
  EXPECT_EQ(j["LANGUAGE"], 0);
  EXPECT_EQ(j["killList"], nlohmann::json::array({"Old.exe"}));
  EXPECT_EQ(j["root"], root.path());
  EXPECT_EQ(j["comm"]["current"]["Datarate"], 100);
  EXPECT_EQ(j["comm"]["COMM255"]["IPAddr"], "192.168.8.1");
  EXPECT_EQ(j["sdk"]["Name"], "ZADEZO");
  for (const char* key :
       {"configFile", "downloadDir", "appsDir", "languageFile", "deviceListFile", "OEMString",
        "ManagerTittle", "RemoteHelpURL", "OfflineMode", "deviceModels", "AupdateUpdateProgram",
        "HttpCacert", "KRYFwUp", "KRYFwUpCheckSum"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_FALSE(platform::FileExists(root / "Kavora.log"));  // the program's log is left alone
}

TEST(Cli, AConfigurationThatCannotBeReadFailsEveryCommand) {
  testing_support::TempFolder root;
  const std::string garbage("[CONFIG]\0\x01\x02binary", 17);
  const std::string config = root.Put("Config/KavoraC.ini", garbage);
  for (const char* command : {"config", "start --no"}) {
    const CliRun run = Cli(root, command);
    EXPECT_EQ(run.code, 1) << command;
    EXPECT_EQ(nlohmann::json::parse(run.out)["exitCode"], 1) << command;
    EXPECT_NE(clitest::CliStderr(root.path()).find(config + ": it holds binary data"),
              std::string::npos)
        << clitest::CliStderr(root.path());
  }
  EXPECT_EQ(platform::ReadFile(config), garbage);
}

TEST(Cli, ModelTextsCodecsAndExitCodes) {
  testing_support::TempFolder root;
  platform::CreateFolders(root / "Config");
  platform::WriteFile(root / "Config/DeviceList.xml",
                      "<L><Item Name=\"Pro\" SN1=\"9\" SN4=\"#\" SN5=\"1\" HaveDoIP=\"1\"/></L>");
  EXPECT_EQ(nlohmann::json::parse(Cli(root, "model 9AB31XXXXX").out)["Name"], "Pro");
  EXPECT_TRUE(nlohmann::json::parse(Cli(root, "model 8AB31XXXXX").out).is_null());

  platform::WriteFile(root / "f.bin", "abc");
  EXPECT_EQ(nlohmann::json::parse(Cli(root, "md5 f.bin").out), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Cli(root, "base64 encode", "hello").out, "aGVsbG8=");
  EXPECT_EQ(Cli(root, "base64 decode", "aGVsbG8=").out, "hello");
  EXPECT_EQ(Cli(root, "base64 canonical aGVsbG8").out, "false\n");

  EXPECT_EQ(Cli(root, "texts").code, 1);  // no language file in this root
  platform::CreateFolders(root / "Language");
  platform::WriteFile(root / "Language/EN.xml", "<l><item id=\"28\" text=\"Mine\"/></l>");
  const CliRun texts = Cli(root, "texts");
  ASSERT_EQ(texts.code, 0);
  EXPECT_EQ(nlohmann::json::parse(texts.out)["28"], "Mine");
  EXPECT_EQ(nlohmann::json::parse(texts.out)["3"], "Device is not connected");

  // A command that ends without a result still leaves one document for a script to read.
  for (const auto& [args, code] : std::vector<std::pair<const char*, int>>{
           {"no-such-command", 2}, {"model", 2}, {"base64 sideways", 2}, {"md5 missing.bin", 1}}) {
    const CliRun run = Cli(root, args);
    EXPECT_EQ(run.code, code) << args;
    EXPECT_EQ(nlohmann::json::parse(run.out), nlohmann::json({{"ok", false}, {"exitCode", code}}))
        << args;
  }
  EXPECT_EQ(Cli(root, "--help").code, 0);
}

// Bytes that are not UTF-8 in the files a user or a server left are printed replaced, and a
// Base64 address that decodes to a NUL is empty, as text ends there.
TEST(Cli, TextsThatAreNotUtf8AndAddressesThatDecodeToNothing) {
  testing_support::TempFolder root;
  for (const char* f : {"Config", "Language"}) platform::CreateFolders(root / f);
  platform::WriteFile(root / "Config/KavoraC.ini",
                      "[CONFIG]\nOEMString=O\xff\nUpdateURL=AA==\nLANGUAGE=1\n");
  platform::WriteFile(root / "Language/EN.xml", "<l><item id=\"28\" text=\"bad\xfe\"/></l>");
  const CliRun config = Cli(root, "config");
  ASSERT_EQ(config.code, 0);
  const auto j = nlohmann::json::parse(config.out);
  EXPECT_EQ(j["OEMString"], "O\xef\xbf\xbd");
  EXPECT_EQ(j["UpdateURL"], "");
  const CliRun texts = Cli(root, "texts");
  ASSERT_EQ(texts.code, 0);
  EXPECT_EQ(nlohmann::json::parse(texts.out)["28"], "bad\xef\xbf\xbd");
}

// ---- device, device led, device beep, against the simulator ------------------------------

class CliDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::CreateFolders(root / "sdk/kry");
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
  }
  testing_support::TempFolder root;
};

TEST_F(CliDevice, ReportsTheAdapterAndItsModule) {
  testing_support::VciSim sim({"--profile", ORB_SOURCE_DIR "/sim/profiles/wifi-module.ini"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  sim.WriteKryIni(root / "sdk/kry/KRY.ini");
  const CliRun run = Cli(root, "device");
  ASSERT_EQ(run.code, 0) << run.out;
  const auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["connected"], true);
  EXPECT_EQ(j["inUse"], false);
  EXPECT_EQ(j["openResult"], 0);
  EXPECT_EQ(j["serial"], "K9ABC00258");
  EXPECT_EQ(j["pid"], 0x0301);
  EXPECT_EQ(j["hardwareName"], "VCI-X100");
  EXPECT_EQ(j["firmwareName"], "KRYVCI");
  EXPECT_EQ(j["firmwareVersion"], "1.2.3.4");
  EXPECT_EQ(j["firmwareDate"], "2024-03-05");
  EXPECT_EQ(j["module"]["name"], "DOIPMOD");
  EXPECT_EQ(j["module"]["ssid"], "KRY-DoIP-0258");
  EXPECT_EQ(j["module"]["pid"], 0x0401);
  EXPECT_EQ(j["interface"]["type"], 3);
  EXPECT_EQ(j["interface"]["port"], 6800);
  EXPECT_EQ(j["interface"]["address"], sim.address());
}

TEST_F(CliDevice, NoModuleInUseAndUnreachable) {
  testing_support::VciSim sim({"--profile", ORB_SOURCE_DIR "/sim/profiles/usb-no-module.ini"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  sim.WriteKryIni(root / "sdk/kry/KRY.ini");
  CliRun run = Cli(root, "device");
  ASSERT_EQ(run.code, 0) << run.out;
  EXPECT_TRUE(nlohmann::json::parse(run.out)["module"].is_null());

  testing_support::VciSim held({"--held"});
  ASSERT_TRUE(held.ok());
  held.WriteKryIni(root / "sdk/kry/KRY.ini");
  run = Cli(root, "device");
  EXPECT_EQ(run.code, 1);
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["connected"], false);
  EXPECT_EQ(j["inUse"], true);
  EXPECT_EQ(j["openResult"], 127);
  EXPECT_TRUE(j["hardwareName"].is_null());

  held.Stop();
  run = Cli(root, "device");
  EXPECT_EQ(run.code, 1);
  j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["inUse"], false);
  EXPECT_NE(j["openResult"], 0);
}

TEST_F(CliDevice, LedAndBeepTests) {
  testing_support::VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  sim.WriteKryIni(root / "sdk/kry/KRY.ini");
  CliRun run = Cli(root, "device led");
  ASSERT_EQ(run.code, 0) << run.out;
  EXPECT_EQ(nlohmann::json::parse(run.out)["results"], nlohmann::json::array({0}));
  run = Cli(root, "device beep");
  ASSERT_EQ(run.code, 0) << run.out;
  EXPECT_EQ(nlohmann::json::parse(run.out)["results"], nlohmann::json::array({0, 0}));
  ASSERT_TRUE(sim.WaitFor("beep 0 1"));
  std::vector<std::string> calls;
  for (const auto& line : sim.Record())
    if (line == "open" || line == "close" || line.rfind("led", 0) == 0 ||
        line.rfind("beep", 0) == 0)
      calls.push_back(line);
  EXPECT_EQ(calls, (std::vector<std::string>{"open", "led 1 1 1 1", "close", "open", "beep 1 10",
                                             "beep 0 1", "close"}));
  EXPECT_EQ(Cli(root, "device blink").code, 2);
}

}  // namespace
