#include "updater/ProgramSwap.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempFolder.h"
#include "updater/UpdateRecovery.h"
#include "updater/tests/ScratchInstall.h"

namespace updater {
namespace {

using testing_support::TempFolder;
namespace fs = std::filesystem;

// An installed version 1.0.0 and version 1.0.1 unpacked beside it, ready to swap in: five
// files in, three of them replacing old ones, two folders made.
class ProgramSwapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    places.programFolder = folder / "program";
    places.rootFolder = folder / "root";
    for (const auto& [path, content] : {std::pair{"OrbManager", "old program"},
                                        {"libKRY.so", "old library"},
                                        {"skin/EN/Main.xml", "old layout"},
                                        {"keep.txt", "not in the package"},
                                        {".OrbUpdate/new/OrbManager", "new program"},
                                        {".OrbUpdate/new/lib/libKRY.so.1", "new versioned library"},
                                        {".OrbUpdate/new/libKRY.so", "new library"},
                                        {".OrbUpdate/new/skin/CS/Main.xml", "new Chinese layout"},
                                        {".OrbUpdate/new/skin/EN/Main.xml", "new layout"}})
      folder.Put(std::string("program/") + path, content);
    folder.Put("root/Config/KavoraC.ini", "[CONFIG]\nManagerVersion=1.0.0\nOfflineMode=1\n");
  }
  void Fresh() {
    fs::remove_all(folder.path());
    SetUp();
  }
  // Wholly one version, recorded as such, with nothing of the other left over.
  void ExpectWhole(bool isNew) {
    const std::string age = isNew ? "new" : "old";
    EXPECT_EQ(Read(folder / "program/OrbManager") + ", " + Read(folder / "program/libKRY.so") +
                  ", " + Read(folder / "program/skin/EN/Main.xml") + ", " +
                  Read(folder / "program/keep.txt"),
              age + " program, " + age + " library, " + age + " layout, not in the package");
    EXPECT_EQ(fs::exists(folder / "program/skin/CS/Main.xml") + fs::exists(folder / "program/lib"),
              2 * isNew);
    // The version changes alone: the rest of the configuration is the user's.
    EXPECT_EQ(
        Read(folder / "root/Config/KavoraC.ini"),
        "[CONFIG]\nManagerVersion=" + std::string(isNew ? "1.0.1" : "1.0.0") + "\nOfflineMode=1\n");
  }

  TempFolder folder;
  UpdatePlaces places;
};

// The updater killed at each step of its swap; the next start (OrbUpdate, OrbManager and
// orbmanager-cli all recover the same way) finds the folder whole.
TEST_F(ProgramSwapTest, AKilledSwapIsUndoneOrFinishedByTheNextStart) {
  const struct {
    const char* killAt;
    RecoveryOutcome outcome;
  } cases[] = {
      {"move 1", RecoveryOutcome::RolledBack},  // after the first file moved in
      {"move 5", RecoveryOutcome::RolledBack},  // every file moved, not yet recorded as in
      {"version", RecoveryOutcome::Finished},   // before the version is written
      {"commit", RecoveryOutcome::Finished},    // version written, journal not yet removed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.killAt);
    Fresh();
    KillSwapAt(places, c.killAt);
    ASSERT_TRUE(fs::exists(JournalPathOf(places.programFolder)));
    EXPECT_EQ(RecoverInterruptedSwap(places.programFolder).outcome, c.outcome);
    ExpectWhole(c.outcome == RecoveryOutcome::Finished);
    EXPECT_FALSE(fs::exists(WorkFolder(places)));
    EXPECT_EQ(RecoverInterruptedSwap(places.programFolder).outcome, RecoveryOutcome::NothingToDo);
  }
}

TEST_F(ProgramSwapTest, ADamagedJournalKeepsEveryFileAndStopsTheNextUpdate) {
  ProgramSwap swap(places.programFolder);
  ASSERT_TRUE(swap.Apply(places.rootFolder, "1.0.0", "1.0.1", nullptr));
  const std::string journal = JournalPathOf(places.programFolder);
  for (const char* damage :
       {"", "OrbUpdate swap journal 1\nroot /r\nstate applying\nreplace ../../etc/passwd\nend\n"}) {
    platform::WriteFile(journal, damage);
    EXPECT_EQ(RecoverInterruptedSwap(places.programFolder).outcome, RecoveryOutcome::Failed);
    const UpdateOutcome update =
        RunUpdate({"1.0.0", "1.0.2", "http://127.0.0.1:1/p", 1, ""}, places, nullptr);
    EXPECT_NE(update.reason.find("still needs"), std::string::npos) << update.reason;
    EXPECT_EQ(Read(folder / "program/.OrbUpdate/old/OrbManager") +
                  Read(folder / "program/.OrbUpdate/old/libKRY.so"),
              "old programold library");
  }
}

}  // namespace
}  // namespace updater
