// The self-update: the update button, the start-up prompt and the hand-over to the updater.
#include "apps/SelfUpdate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ServedFolder;
using testing_support::TempFolder;

struct Recorded {
  int calls = 0;
  std::string program, parameters;
};

apps::Handover Recorder(Recorded* r) {
  return [r](const std::string& program, const std::string& parameters) {
    ++r->calls;
    r->program = program;
    r->parameters = parameters;
  };
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
  Recorded handedOver;
};

TEST_F(SelfUpdateTest, BothPlacesOfferOnlyARealNewVersion) {
  const struct {
    const char* server;
    bool okAnswer;
    bool promptAtStartUp;
    apps::UpdateButtonResult button;
  } cases[] = {
      {"2.1.0", true, false, apps::UpdateButtonResult::Latest},
      {"2.0.9", true, true, apps::UpdateButtonResult::HandedOver},  // older counts too
      {"2.1.0a", false, true, apps::UpdateButtonResult::Declined},
      {"", true, false, apps::UpdateButtonResult::Latest},  // nothing to update to
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("server version '") + c.server + "'");
    web.Put("update.ini", UpdateIni(c.server));
    const std::string question = std::string("Find new version: ") + c.server + ", Update now?";

    // At start-up, after update.ini was read.
    ui.Clear();
    ui.SetDefaultAnswer(c.okAnswer);
    handedOver = {};
    ASSERT_TRUE(config.ReadUpdateInfo(web.files() / "update.ini"));
    apps::PromptAtStartUp(ui, config, Recorder(&handedOver));
    EXPECT_EQ(ui.Texts("question"),
              c.promptAtStartUp ? std::vector<std::string>{question} : std::vector<std::string>{});

    // The button fetches update.ini itself.
    ui.Clear();
    ui.SetDefaultAnswer(c.okAnswer);
    config.update = {};
    handedOver = {};
    EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)), c.button);
    if (c.button == apps::UpdateButtonResult::Latest) {
      EXPECT_EQ(ui.Texts("message"),
                std::vector<std::string>{"The current version is the latest!"});
      EXPECT_TRUE(ui.Texts("question").empty());
    } else {
      EXPECT_EQ(ui.Texts("question"), std::vector<std::string>{question});
      EXPECT_EQ(ui.shown().back().caption, "Update");
    }
    EXPECT_EQ(handedOver.calls, c.button == apps::UpdateButtonResult::HandedOver ? 1 : 0);
  }
  EXPECT_EQ(handedOver.program, "");
}

// A package install: the updater could not replace the program, so OK points elsewhere.
TEST_F(SelfUpdateTest, AProgramFolderThatCannotBeWrittenSendsToThePackageManager) {
  web.Put("update.ini", UpdateIni("2.2.0"));
  ui.SetDefaultAnswer(true);
  const std::string readOnly = local / "no-such-folder";
  const std::vector<std::string> said{"Install version 2.2.0 through the package manager."};
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver), readOnly),
            apps::UpdateButtonResult::Declined);
  EXPECT_EQ(ui.Texts("message"), said);
  ui.Clear();
  apps::PromptAtStartUp(ui, config, Recorder(&handedOver), readOnly);
  EXPECT_EQ(ui.Texts("message"), said);
  EXPECT_EQ(handedOver.calls, 0);
}

TEST_F(SelfUpdateTest, TheButtonIsSilentWhenTheServerFailsAndOpensTheOemAddress) {
  web.server().SetFault("/update.ini", {sim::FaultKind::NotFound});
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)),
            apps::UpdateButtonResult::DownloadFailed);
  config.UpdateURL.clear();
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)),
            apps::UpdateButtonResult::DownloadFailed);
  EXPECT_TRUE(ui.shown().empty());

  // OEM or offline: the browser gets the OEM address, or nothing happens.
  const std::string opened = local / "opened.txt";
  const std::string opener =
      local.Put("opener.sh", "#!/bin/sh\nprintf '%s' \"$1\" > " + opened + ".tmp && mv " + opened +
                                 ".tmp " + opened + "\n");
  ::chmod(opener.c_str(), 0755);
  ::setenv("ORB_OPEN_COMMAND", opener.c_str(), 1);
  config.OEMFlag = true;
  config.OEMUpdateURL = "oem-updates";
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)),
            apps::UpdateButtonResult::NothingToDo);
  config.OEMFlag = false;
  config.OfflineMode = true;
  config.OEMUpdateURL = "http://127.0.0.43/oem";
  EXPECT_EQ(apps::OnUpdateButton(ui, config, Recorder(&handedOver)),
            apps::UpdateButtonResult::OpenedOemAddress);
  for (int i = 0; i < 5000 && !platform::FileExists(opened); ++i) platform::SleepMs(1);
  ::unsetenv("ORB_OPEN_COMMAND");
  EXPECT_EQ(platform::ReadFile(opened).value_or(""), "http://127.0.0.43/oem");
  EXPECT_EQ(web.server().RequestCount("/update.ini"), 1) << "OEM and offline fetch nothing";
  EXPECT_TRUE(ui.shown().empty());
  EXPECT_EQ(handedOver.calls, 0);
}

TEST(SelfUpdateHandover, StartsTheUpdaterWithFiveArgumentsAndEndsWithZero) {
  TempFolder local;
  const std::string out = local / "args.txt";
  const std::string updater =
      local.Put("OrbUpdate", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + out +
                                 ".tmp\n"
                                 "mv " +
                                 out + ".tmp " + out + "\n");
  ::chmod(updater.c_str(), 0755);
  EXPECT_EXIT(apps::StartUpdaterAndExit(updater, "2.0.9 2.1.0 http://127.0.0.43/p 1048576 ABCDEF"),
              ::testing::ExitedWithCode(0), "");
  for (int i = 0; i < 5000 && !platform::FileExists(out); ++i) platform::SleepMs(1);
  EXPECT_EQ(platform::ReadFile(out).value_or(""),
            "2.0.9\n2.1.0\nhttp://127.0.0.43/p\n1048576\nABCDEF\n");
}

}  // namespace
