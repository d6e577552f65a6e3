#include "app/StartUp.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>
#include <filesystem>

#include "app/ZCoreManager.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "core/tests/ConfigFixture.h"
#include "net/PartFile.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "tests/support/ScriptedInteraction.h"

namespace {

class StartUpTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(root.path());
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// Records the order in which the start-up drives the front end.
class RecordingShell : public app::ProgramShell {
 public:
  std::vector<std::string> calls;
  void SetResourcePath(const std::string& folder) override { calls.push_back("skin " + folder); }
  void ConstructMainFrame() override { calls.emplace_back("construct"); }
  void StartSplash() override { calls.emplace_back("splash"); }
  void CreateMainFrame(const std::string& title) override { calls.push_back("create " + title); }
  void StopSplash() override { calls.emplace_back("stop splash"); }
  void ShowMainWindow() override { calls.emplace_back("show"); }
  void RunMessageLoop() override { calls.emplace_back("loop"); }
};

TEST_F(StartUpTest, RunsTheStepsInOrderAndEndsTheKillList) {
  const std::string sleeper = root / "OrbStale";
  std::filesystem::copy_file("/bin/sleep", sleeper);
  platform::ProcessHandle stale = platform::StartProgram({sleeper, {"30"}});
  ASSERT_TRUE(stale.valid());
  const auto listed = [] {
    for (const auto& p : platform::ListProcesses())
      if (p.exeName == "OrbStale") return true;
    return false;
  };
  for (int i = 0; i < 200 && !listed(); ++i) ::usleep(5000);
  WriteConfig(
      "[CONFIG]\nManagerTittle=OrbManager Test\nLANGUAGE=0\n[PK]\nPKCount=3\nPK_1=orbstale\n"
      "PK_2=NoSuchProgram\nPK_3=\n");
  platform::WriteFile(root / "Kavora.log", "previous run\n");

  RecordingShell shell;
  testing_support::ScriptedInteraction ui;
  EXPECT_EQ(app::RunProgram(shell, ui), 0);
  EXPECT_EQ(stale.Wait(), 128 + SIGKILL);
  const std::string skin = platform::ProgramFolder() + "/skin/CS";
  EXPECT_EQ(shell.calls,
            (std::vector<std::string>{"skin " + skin, "construct", "splash",
                                      "create OrbManager Test", "stop splash", "show", "loop"}));
  EXPECT_EQ(platform::ReadFile(root / "Kavora.log")->find("previous run"), std::string::npos);
}

TEST_F(StartUpTest, AConfigurationThatCannotBeReadIsNamedAndEndsTheStart) {
  platform::CreateFolders(root / "Config/KavoraC.ini");  // a folder in the file's place
  RecordingShell shell;
  testing_support::ScriptedInteraction ui;
  EXPECT_EQ(app::RunProgram(shell, ui), 0);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(ui.Texts("message"),
            std::vector<std::string>{core::Text(core::TextId::kConfigUnreadable) + "\n" +
                                     (root / "Config/KavoraC.ini") + "\nit is a folder"});
  EXPECT_NE(platform::ReadFile(root / "Kavora.log")->find("Failed to read configuration file."),
            std::string::npos);
  EXPECT_TRUE(platform::IsDirectory(root / "Config/KavoraC.ini"));
}

TEST_F(StartUpTest, InitStopsWhenTheLanguageFileCannotBeLoaded) {
  WriteConfig("[CONFIG]\nLANGUAGE=0\n");
  root.Put("Language/CS.xml", "<broken");
  core::ZConfig::Instance().LoadFrom(root.path());
  app::ZCoreManager core;
  testing_support::ScriptedInteraction ui;
  EXPECT_FALSE(core.Init(ui));
  ASSERT_EQ(ui.Texts("message"), std::vector<std::string>{"Load language failed\xEF\xBC\x81"});
  EXPECT_EQ(std::make_pair(ui.shown()[0].icon, ui.shown()[0].caption),
            std::make_pair(core::MessageIcon::Error, std::string()));
}

// Part files of downloads that ended with their process and resumable shares older than a
// week go at start; a transfer still running (its part file locked) and every other file stay.
TEST_F(StartUpTest, UnfinishedDownloadsAreRemovedUnlessStillBeingWritten) {
  const struct {
    const char* name;
    bool stays;
  } files[] = {
      {"Download/APPS.xml.part-a1B2c3", false},
      {"Download/KRY.bin.resume", true},
      {"Download/old.bin.resume", false},  // kept for more than a week
      {"Download/old.bin.resume.info", false},
      {"Apps/7/install.exe.part-x9Y8z7", false},
      {"Apps/7/install.exe", true},
      {"Apps/part-of-nothing.txt", true},
  };
  for (const auto& f : files) root.Put(f.name, "bytes");
  const time_t weekAgo = std::time(nullptr) - time_t{8} * 24 * 60 * 60;
  const utimbuf aged{weekAgo, weekAgo};
  ::utime((root / "Download/old.bin.resume").c_str(), &aged);
  std::filesystem::create_directory_symlink(root / "Download", root / "Apps/link");
  net::PartFile running(root / "Download/fws.xml");
  ASSERT_TRUE(running.Open());

  WriteConfig("[CONFIG]\nLANGUAGE=1\n");
  testing_support::ScriptedInteraction ui;
  ASSERT_TRUE(app::PrepareProgram(ui));
  for (const auto& f : files) EXPECT_EQ(platform::FileExists(root / f.name), f.stays) << f.name;
  EXPECT_TRUE(platform::FileExists(running.partPath())) << "another transfer still writes it";
  EXPECT_NE(platform::ReadFile(root / "Kavora.log").value_or("").find("Removed 4 unfinished"),
            std::string::npos);
}

}  // namespace
