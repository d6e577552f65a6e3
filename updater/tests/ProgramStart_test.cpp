// The real programs, copied into a scratch program folder, started after an updater was
// killed in the middle of its swap.
#include <gtest/gtest.h>

#include <filesystem>

#include "history/UpdateHistory.h"
#include "tests/support/ShellRun.h"
#include "tests/support/WaitForFile.h"
#include "updater/ProgramSwap.h"
#include "updater/tests/ScratchInstall.h"

namespace updater {
namespace {

using testing_support::RunShell;
namespace fs = std::filesystem;

// A program that only says which version of it ran, and with what.
std::string Recorder(const std::string& what) {
  return "#!/bin/sh\necho \"" + what + " $*\" > ran.part && mv ran.part ran\n";
}

class ProgramStartTest : public ScratchInstallTest {
 protected:
  void SetUp() override {
    PutProgram("program/OrbManager", Recorder("old"));
    local.Put("program/libKRY.so", "old library");
    local.Put("root/Config/KavoraC.ini", "[CONFIG]\nManagerVersion=1.0.0\n");
  }
  void PutProgram(const std::string& path, const std::string& content) {
    local.Put(path, content);
    fs::permissions(local / path, fs::perms::owner_all);
  }
  // Runs a program of the program folder in the root folder, as its menu entry would.
  int Run(const std::string& program, const std::string& arguments) {
    return RunShell("cd '" + places.rootFolder + "' && QT_QPA_PLATFORM=offscreen " +
                    "KAVORA_TIME_SCALE=0.001 '" + (local / ("program/" + program)) + "' " +
                    arguments + " >/dev/null 2>&1")
        .code;
  }
  // What the program started last wrote; it runs on its own, so give it a moment.
  std::string Ran() {
    testing_support::WaitForFile(local / "root/ran", 3000);
    return Read(local / "root/ran");
  }
};

// Killed before the version was written: OrbUpdate started again finishes the swap first,
// then fails on its empty request, says so by its exit code and starts the new version.
TEST_F(ProgramStartTest, OrbUpdateFinishesASwapWhoseFilesWereAllIn) {
  fs::copy_file(ORB_UPDATE_PROGRAM, local / "program/OrbUpdate");
  PutProgram("program/.OrbUpdate/new/OrbManager", Recorder("new"));
  local.Put("program/.OrbUpdate/new/libKRY.so", "new library");
  KillSwapAt(places, "version");
  EXPECT_EQ(Run("OrbUpdate", ""), 1);
  EXPECT_EQ(Ran(), "new \n");
  // The run itself is in the root folder's update history, as failed, with its reason.
  const auto runs = history::UpdateHistory(local / "root/History.db").List();
  EXPECT_TRUE(runs && runs->size() == 1 && runs->at(0).what == history::kProgramUpdate &&
              !runs->at(0).ok && !runs->at(0).reason.empty());
}

// Killed after the program's own file moved in: each program started again undoes the swap
// and runs the restored old program in its place, with the same arguments (OrbUpdate's own
// start is shown above).
TEST_F(ProgramStartTest, AProgramReplacedByTheRecoveryStartsTheRestoredOne) {
  for (const auto& [name, built] :
       {std::pair{"OrbManager", ORB_MANAGER_PROGRAM}, {"orbmanager-cli", ORB_CLI_PROGRAM}}) {
    SCOPED_TRACE(name);
    PutProgram(std::string("program/") + name, Recorder(std::string("old ") + name));
    fs::create_directories(StagedFolderOf(places.programFolder));
    fs::copy_file(built, local / (std::string("program/.OrbUpdate/new/") + name));
    KillSwapAt(places, "move 1");
    EXPECT_EQ(Run(name, "a 'b c'"), 0);
    EXPECT_EQ(Ran(), std::string("old ") + name + " a b c\n");
    fs::remove(local / "root/ran");
  }
}

}  // namespace
}  // namespace updater
