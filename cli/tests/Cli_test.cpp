// orbmanager-cli as a user runs it: JSON out, exit codes, the configuration it reads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/Files.h"
#include "tests/support/ShellRun.h"
#include "tests/support/TempFolder.h"

namespace {

using CliRun = testing_support::ShellResult;

CliRun Cli(const testing_support::TempFolder& root, const std::string& args,
        const std::string& input = "") {
  const std::string command = "cd '" + root.path() + "' && XDG_CONFIG_HOME='" + root.path() +
                              "/sdk' LANG=en_US.UTF-8 " + (input.empty() ? "" : "printf '" + input + "' | ") +
                              ORB_CLI + " " + args + " 2>/dev/null";
  return testing_support::RunShell(command);
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
  for (const char* key : {"configFile", "downloadDir", "appsDir", "languageFile",
                          "deviceListFile", "OEMString", "ManagerTittle", "RemoteHelpURL",
                          "OfflineMode", "deviceModels", "AupdateUpdateProgram", "HttpCacert",
                          "KRYFwUp", "KRYFwUpCheckSum"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_FALSE(platform::FileExists(root / "Kavora.log"));  // the program's log is left alone
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
  EXPECT_EQ(Cli(root, "md5 missing.bin").code, 1);
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

  EXPECT_EQ(Cli(root, "no-such-command").code, 2);
  EXPECT_EQ(Cli(root, "model").code, 2);
  EXPECT_EQ(Cli(root, "base64 sideways").code, 2);
  EXPECT_EQ(Cli(root, "--help").code, 0);
}

}  // namespace
