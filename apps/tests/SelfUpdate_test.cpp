// The self-update: the update button, the start-up prompt and the hand-over to the updater.
#include "apps/SelfUpdate.h"

#include <gtest/gtest.h>

#include "tests/support/ArgumentRecorder.h"
#include "tests/support/EnvGuard.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::EnvGuard;
using testing_support::ServedFolder;
using testing_support::TempFolder;
using Texts = std::vector<std::string>;

// Counts the hand-overs instead of ending the test.
apps::Handover Recorder(int* calls) {
  return [calls](const std::string&, const std::string&) { ++*calls; };
}

std::string UpdateIni(const std::string& version) {
  return "[UPDATE]\nManagerVersion=" + version +
         "\nManagerURL=http://127.0.0.43/OrbManager.pkg\nMD5=0123456789ABCDEF0123456789ABCDEF\n"
         "Size=1048576\n";
}

class SelfUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web.started());
    config = core::ZConfig();
    config.downloadDir = local.path();
    config.ManagerVersion = "2.1.0";
    config.AupdateUpdateProgram = "OrbUpdate.exe";
    config.UpdateURL = web.Url("/update.ini");
  }
  ServedFolder web{"127.0.0.43"};
  TempFolder local;
  core::ZConfig config;
  testing_support::ScriptedInteraction ui;
  int handedOver = 0;
};

// At start-up after update.ini was read, and from the button that fetches it itself.
TEST_F(SelfUpdateTest, BothPlacesOfferOnlyARealNewVersion) {
  using Result = apps::UpdateButtonResult;
  const struct {
    const char* server;
    bool okAnswer, promptAtStartUp;
    Result button;
  } cases[] = {{"2.1.0", true, false, Result::Latest},
               {"2.0.9", true, true, Result::HandedOver},  // older counts too
               {"2.1.0a", false, true, Result::Declined},
               {"", true, false, Result::Latest}};  // nothing to update to
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("server version '") + c.server + "'");
    web.Put("update.ini", UpdateIni(c.server));
    const Texts question{std::string("Find new version: ") + c.server + ", Update now?"};
    ui.SetDefaultAnswer(c.okAnswer);
    ASSERT_TRUE(config.ReadUpdateInfo(web.files() / "update.ini"));
    apps::PromptAtStartUp(ui, config, Recorder(&handedOver));
    EXPECT_EQ(ui.Texts("question"), c.promptAtStartUp ? question : Texts{});
    ui.Clear();
    config.update = {};
    const int before = handedOver;
    EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)), c.button);
    const bool latest = c.button == Result::Latest;
    EXPECT_EQ(ui.Texts("message"), latest ? Texts{"The current version is the latest!"} : Texts{});
    EXPECT_EQ(ui.Texts("question"), latest ? Texts{} : question);
    EXPECT_EQ(handedOver - before, c.button == Result::HandedOver);
    ui.Clear();
  }
  EXPECT_EQ(handedOver, 2);  // at start-up and from the button, for 2.0.9
}

// A package install: the updater could not replace the program, so OK points elsewhere.
TEST_F(SelfUpdateTest, PackageInstallsFailedServersAndOemModeHandNothingOver) {
  web.Put("update.ini", UpdateIni("2.2.0"));
  ui.SetDefaultAnswer(true);
  const std::string readOnly = local / "no-such-folder";
  const std::vector<std::string> said{"Install version 2.2.0 through the package manager."};
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver), readOnly),
            apps::UpdateButtonResult::Declined);
  EXPECT_EQ(ui.Texts("message"), said);
  ui.Clear();
  apps::PromptAtStartUp(ui, config, Recorder(&handedOver), readOnly);
  EXPECT_EQ(std::make_pair(ui.Texts("message"), handedOver), std::make_pair(said, 0));
  // The button is silent when the server fails.
  ui.Clear();
  web.server().SetFault("/update.ini", {sim::FaultKind::NotFound});
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)),
            apps::UpdateButtonResult::DownloadFailed);
  // OEM or offline: the browser gets the OEM address, or nothing happens.
  const testing_support::ArgumentRecorder opener(local, "opener.sh");
  EnvGuard openWith("ORB_OPEN_COMMAND", opener.program);
  config.OEMFlag = true;
  config.OEMUpdateURL = "oem-updates";
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)),
            apps::UpdateButtonResult::NothingToDo);
  config.OEMFlag = false;
  config.OfflineMode = true;
  config.OEMUpdateURL = "http://127.0.0.43/oem";
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)),
            apps::UpdateButtonResult::OpenedOemAddress);
  EXPECT_EQ(opener.Arguments(), "http://127.0.0.43/oem\n");
  // OEM and offline fetch nothing: the requests were the button's two above.
  EXPECT_EQ(
      std::make_tuple(web.server().RequestCount("/update.ini"), ui.shown().size(), handedOver),
      std::make_tuple(2, 0u, 0));
}

TEST(SelfUpdateHandover, StartsTheUpdaterWithFiveArgumentsAndEndsWithZero) {
  TempFolder local;
  const testing_support::ArgumentRecorder updater(local, "OrbUpdate");
  EXPECT_EXIT(
      apps::StartUpdaterAndExit(updater.program, "2.0.9 2.1.0 http://127.0.0.43/p 1048576 ABCDEF"),
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(updater.Arguments(), "2.0.9\n2.1.0\nhttp://127.0.0.43/p\n1048576\nABCDEF\n");
}

}  // namespace
