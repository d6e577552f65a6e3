#include "updater/ProgramSwap.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "updater/UpdateRecovery.h"
#include "updater/tests/ScratchInstall.h"

namespace updater {
namespace {

namespace fs = std::filesystem;

// An installed version 1.0.0 and version 1.0.1 unpacked beside it, ready to swap in: five
// files in, three of them replacing old ones, two folders made.
class ProgramSwapTest : public ScratchInstallTest {
 protected:
  void SetUp() override {
    for (const auto& [path, content] : {std::pair{"OrbManager", "old program"},
                                        {"libKRY.so", "old library"},
                                        {"skin/EN/Main.xml", "old layout"},
                                        {"keep.txt", "not in the package"},
                                        {".OrbUpdate/new/OrbManager", "new program"},
                                        {".OrbUpdate/new/lib/libKRY.so.1", "new versioned library"},
                                        {".OrbUpdate/new/libKRY.so", "new library"},
                                        {".OrbUpdate/new/skin/CS/Main.xml", "new Chinese layout"},
                                        {".OrbUpdate/new/skin/EN/Main.xml", "new layout"}})
      local.Put(std::string("program/") + path, content);
    local.Put("root/Config/KavoraC.ini", "[CONFIG]\nManagerVersion=1.0.0\nOfflineMode=1\n");
  }
  void Fresh() {
    fs::remove_all(local.path());
    SetUp();
  }
  // Wholly one version, recorded as such, with nothing of the other left over; the version
  // changes alone, the rest of the configuration is the user's.
  void ExpectWhole(bool isNew) {
    std::string found;
    for (const char* name : {"OrbManager", "libKRY.so", "skin/EN/Main.xml", "keep.txt", "skin/CS",
                             "lib", "../root/Config/KavoraC.ini"}) {
      const std::string path = local / ("program/" + std::string(name));
      found += (fs::is_directory(path) ? "folder" : Read(path)) + "|";
    }
    if (fs::exists(WorkFolder(places))) found += "work folder left";
    const std::string age = isNew ? "new" : "old";
    EXPECT_EQ(found, age + " program|" + age + " library|" + age + " layout|not in the package|" +
                         (isNew ? "folder|folder|" : "<none>|<none>|") +
                         "[CONFIG]\nManagerVersion=" + (isNew ? "1.0.1" : "1.0.0") +
                         "\nOfflineMode=1\n|");
  }
};

// The updater killed at each step of its swap; the next start (OrbUpdate, OrbManager and
// orbmanager-cli all recover the same way) finds the folder whole.
TEST_F(ProgramSwapTest, AKilledSwapIsUndoneOrFinishedByTheNextStart) {
  const std::pair<const char*, RecoveryOutcome> cases[] = {
      {"move 1", RecoveryOutcome::RolledBack},  // after the first file moved in
      {"move 5", RecoveryOutcome::RolledBack},  // every file moved, not yet recorded as in
      {"version", RecoveryOutcome::Finished},   // before the version is written
      {"commit", RecoveryOutcome::Finished},    // version written, journal not yet removed
  };
  for (const auto& [killAt, outcome] : cases) {
    SCOPED_TRACE(killAt);
    Fresh();
    KillSwapAt(places, killAt);
    ASSERT_TRUE(fs::exists(JournalPathOf(places.programFolder)));
    EXPECT_EQ(RecoverInterruptedSwap(places.programFolder).outcome, outcome);
    ExpectWhole(outcome == RecoveryOutcome::Finished);
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
    EXPECT_EQ(Read(local / "program/.OrbUpdate/old/OrbManager") +
                  Read(local / "program/.OrbUpdate/old/libKRY.so"),
              "old programold library");
  }
}

}  // namespace
}  // namespace updater
