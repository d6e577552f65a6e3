// The real programs, copied into a scratch program folder: what each does first at its start,
// and what OrbUpdate answers its caller.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "history/UpdateHistory.h"
#include "net/MD5.h"
#include "platform/Ini.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/ShellRun.h"
#include "updater/ProgramSwap.h"
#include "updater/ProgramUpdate.h"

namespace updater {
namespace {

using testing_support::RunShell;
using testing_support::ServedFolder;
using testing_support::TempFolder;
namespace fs = std::filesystem;

constexpr const char* kAddress = "127.0.0.91";
constexpr int kKilled = 128 + SIGKILL;  // as the shell reports it

std::string Read(const std::string& path) { return platform::ReadFile(path).value_or("<none>"); }

// A program that only says which version of it ran, and with what.
std::string Recorder(const std::string& what) {
  return "#!/bin/sh\necho \"" + what + " $*\" > ran.part && mv ran.part ran\n";
}

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    places.programFolder = local / "program";
    places.rootFolder = local / "root";
    PutProgram("OrbManager", Recorder("old"));
    local.Put("program/libKRY.so", "old library");
    local.Put("root/Config/KavoraC.ini", "[CONFIG]\nManagerVersion=1.0.0\n");
  }
  void PutProgram(const std::string& name, const std::string& content) {
    local.Put("program/" + name, content);
    fs::permissions(local / ("program/" + name), fs::perms::owner_all);
  }
  void CopyProgram(const std::string& from, const std::string& to) {
    fs::create_directories(fs::path(local / to).parent_path());
    fs::copy_file(from, local / to, fs::copy_options::overwrite_existing);
  }
  // Runs a program of the program folder in the root folder; kKilled when it was killed.
  int Run(const std::string& program, const std::string& arguments, const std::string& env = "") {
    return RunShell("cd '" + places.rootFolder +
                    "' && env QT_QPA_PLATFORM=offscreen "
                    "KAVORA_TIME_SCALE=0.001 " +
                    env + " '" + (local / ("program/" + program)) + "' " + arguments +
                    " >/dev/null 2>&1")
        .code;
  }
  // What the program started last wrote; it runs on its own, so give it a moment.
  std::string Ran() {
    for (int i = 0; i < 300 && !fs::exists(local / "root/ran"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string ran = Read(local / "root/ran");
    fs::remove(local / "root/ran");
    return ran;
  }
  std::string Version() {
    return platform::ReadProfileString("CONFIG", "ManagerVersion", "", 260,
                                       local / "root/Config/KavoraC.ini");
  }

  TempFolder local;
  UpdatePlaces places;
};

// OrbUpdate ends with 0 only after an update; killed in its swap, the next OrbUpdate finds
// the program folder whole before it does anything else.
TEST_F(ProgramStartTest, OrbUpdateSaysWhetherItUpdatedAndRecoversAKilledRun) {
  ServedFolder server{kAddress};
  ASSERT_TRUE(server.started());
  local.Put("pack/OrbManager", Recorder("new"));
  fs::permissions(local / "pack/OrbManager", fs::perms::owner_all);
  local.Put("pack/libKRY.so", "new library");
  const std::string package = server.files() / "p.tgz";
  ASSERT_EQ(RunShell("tar -czf '" + package + "' -C '" + (local / "pack") + "' .").code, 0);
  const std::string good = "1.0.0 1.0.1 " + server.Url("/p.tgz") + " " +
                           std::to_string(*platform::FileSize(package)) + " " +
                           *net::FileMD5Text(package);
  const std::string badMD5 = good.substr(0, good.size() - 32) + std::string(32, '0');
  const struct {
    const char* name;
    std::string arguments;
    const char* killAt;
    int code;
    bool isNew;
  } cases[] = {
      {"updated", good, "", 0, true},
      {"MD5 differs", badMD5, "", 1, false},
      {"no request", "", "", 1, false},
      {"killed after the first file", good, "move 1", kKilled, false},
      {"killed before the version", good, "version", kKilled, true},
  };
  CopyProgram(ORB_UPDATE_PROGRAM, "program/OrbUpdate");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(
        Run("OrbUpdate", c.arguments, std::string("ORB_TEST_KILL_UPDATE_AT='") + c.killAt + "'"),
        c.code);
    if (c.code == kKilled) {
      EXPECT_TRUE(fs::exists(JournalPathOf(places.programFolder)));
      EXPECT_EQ(Run("OrbUpdate", ""), 1);  // recovers, then refuses the empty request
    }
    EXPECT_EQ(Ran().substr(0, 3), c.isNew ? "new" : "old");
    EXPECT_EQ(Read(local / "program/libKRY.so"), c.isNew ? "new library" : "old library");
    EXPECT_EQ(Version(), c.isNew ? "1.0.1" : "1.0.0");
    EXPECT_FALSE(fs::exists(WorkFolder(places)));
    // Back to the old version for the next case.
    PutProgram("OrbManager", Recorder("old"));
    local.Put("program/libKRY.so", "old library");
    platform::WriteProfileString("CONFIG", "ManagerVersion", "1.0.0",
                                 local / "root/Config/KavoraC.ini");
  }
  // Every run that came to its end is in the root folder's history; the killed ones are not.
  const auto runs = *history::UpdateHistory(local / "root/History.db").List();
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_TRUE(runs[4].ok);
  EXPECT_EQ(runs[4].versionBefore + " " + runs[4].versionAfter, "1.0.0 1.0.1");
  EXPECT_FALSE(runs[3].ok);
  EXPECT_EQ(runs[3].versionAfter, "1.0.0");
  EXPECT_NE(runs[3].reason.find("MD5"), std::string::npos) << runs[3].reason;
  EXPECT_EQ(runs[0].what, history::kProgramUpdate);
  EXPECT_NE(Read(local / "root/OrbUpdate.log").find("undoing it"), std::string::npos);
  EXPECT_NE(Read(local / "root/OrbUpdate.log").find("finishing it"), std::string::npos);
}

// Each program whose own file the recovery put back runs the restored one in its place.
TEST_F(ProgramStartTest, AProgramReplacedByTheRecoveryStartsTheRestoredOne) {
  for (const auto& [name, built] : {std::pair{"OrbUpdate", ORB_UPDATE_PROGRAM},
                                    {"OrbManager", ORB_MANAGER_PROGRAM},
                                    {"orbmanager-cli", ORB_CLI_PROGRAM}}) {
    SCOPED_TRACE(name);
    PutProgram(name, Recorder(std::string("old ") + name));
    CopyProgram(built, std::string("program/.OrbUpdate/new/") + name);
    EXPECT_EXIT(
        {
          ::setenv("ORB_TEST_KILL_UPDATE_AT", "move 1", 1);
          InstallStagedFiles(places, "1.0.1", nullptr);
          std::exit(0);
        },
        testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(Run(name, "a 'b c'"), 0);
    EXPECT_EQ(Ran(), std::string("old ") + name + " a b c\n");
    EXPECT_FALSE(fs::exists(WorkFolder(places)));
    EXPECT_EQ(Version(), "1.0.0");
  }
}

}  // namespace
}  // namespace updater
