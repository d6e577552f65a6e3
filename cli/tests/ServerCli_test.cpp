// start, catalogue, update-check, download and fetch-firmware as a user runs them, against
// the loopback file server.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "codec/MD5.h"
#include "platform/Files.h"
#include "tests/support/ArgumentRecorder.h"
#include "tests/support/ServedFolder.h"

namespace {

using nlohmann::json;
using testing_support::ServedFolder;
using testing_support::TempFolder;

class ServerCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web.started());
    web.Put("update.ini", "[UPDATE]\nManagerVersion=1.1.0\nManagerURL=" + web.Url("/p.pkg") +
                              "\nMD5=ABCD\nSize=99\n");
    web.Put("APPS.xml",
            "<APPS><CLASS><ITEM><ID>1</ID><NAME>Diagnosis</NAME></ITEM></CLASS><APP>"
            "<ITEM><ID>101</ID><CLSID>1</CLSID><NAME>Engine</NAME><VERSION>3.2</VERSION></ITEM>"
            "<ITEM><ID>102</ID><CLSID>1</CLSID><VERSION>1.0</VERSION></ITEM></APP></APPS>");
    web.Put("img/KRY.bin", image);
    web.Put("fws.xml", "<FWS><ITEM><ID>1</ID><PID>4097</PID><VERSION>V2.1</VERSION><MD5>" +
                           codec::MD5Text(image) + "</MD5><URL>" + web.Url("/img/KRY.bin") +
                           "</URL></ITEM></FWS>");
    web.Put("sps.xml", "<SPS><ITEM><ID>1</ID><AUTH>1</AUTH></ITEM></SPS>");
    root.Put("Language/EN.xml", "<lang/>");
    root.Put("Config/KavoraC.ini",
             "[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nOfflineMode=0\nUpdateURL=" +
                 web.Url("/update.ini") + "\nApplicationURL=" + web.Url("/APPS.xml") +
                 "\nFirmwareURL=" + web.Url("/fws.xml") + "\nSPSListURL=" + web.Url("/sps.xml") +
                 "\nAupdateUpdateProgram=" + updater.program + "\n");
  }
  testing_support::ShellResult Cli(const std::string& args) {
    return clitest::RunCli(root.path(), args, "XDG_CONFIG_HOME='" + root.path() + "'");
  }
  std::string Stderr() { return clitest::CliStderr(root.path()); }

  const std::string image = "VCI image 2.1";
  ServedFolder web{"127.0.0.46"};
  TempFolder root;
  const testing_support::ArgumentRecorder updater{root, "OrbUpdate"};
};

// Which answers make a start online or offline is the start-up's own; here each command
// reaches the server, and only a yes hands over to the updater.
TEST_F(ServerCliTest, StartCataloguesFirmwareDownloadsAndTheHandOver) {
  const auto start = Cli("start --no");
  EXPECT_EQ(json({start.code, json::parse(start.out)["state"]}), json({0, "online"})) << Stderr();
  EXPECT_NE(Stderr().find("Find new version: 1.1.0, Update now? [Cancel]"), std::string::npos);
  const auto j = json::parse(Cli("catalogue apps").out);
  EXPECT_EQ(
      json({j["classes"][0]["applications"], j["applications"][0]["state"],
            j["applications"][0]["installerPath"], json::parse(Cli("catalogue sps").out)[0]["AUTH"],
            json::parse(Cli("catalogue firmware").out)[0]["PID"]}),
      json({json({101, 102}), "not installed", root / "Apps/101/install.exe", true, json({4097})}));
  EXPECT_EQ(Cli("catalogue nothing").code, 2);
  EXPECT_EQ(Cli("fetch-firmware 4097 vci").code, 0) << Stderr();
  EXPECT_EQ(platform::ReadFile(root / "Download/KRY.bin").value_or(""), image);
  EXPECT_EQ(Cli("fetch-firmware 9999 vci").code, 1);

  const auto run = Cli("download " + web.Url("/sps.xml") + " " + (root / "fetched.xml"));
  EXPECT_EQ(std::make_pair(run.code, json::parse(run.out)["md5"]),
            std::make_pair(0, json(codec::MD5Text(*platform::ReadFile(web.files() / "sps.xml")))));

  // The update check hands over to the updater and ends with zero.
  const auto handOver = Cli("update-check --yes");
  EXPECT_EQ(std::make_pair(handOver.code, json::parse(handOver.out)["handedOver"]),
            std::make_pair(0, json(true)));
  EXPECT_EQ(updater.Arguments(), "1.0.0\n1.1.0\n" + web.Url("/p.pkg") + "\n99\nABCD\n");
}

}  // namespace
