#include "updater/ProgramSwap.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/ServedFolder.h"

namespace updater {
namespace {

using testing_support::TempFolder;
namespace fs = std::filesystem;

std::string Read(const std::string& path) { return platform::ReadFile(path).value_or("<none>"); }

class ProgramSwapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Put("program/OrbManager", "old program");
    folder.Put("program/libKRY.so", "old library");
    folder.Put("program/skin/EN/Main.xml", "old layout");
    folder.Put("program/keep.txt", "not in the package");
    folder.Put("new/OrbManager", "new program");
    folder.Put("new/skin/EN/Main.xml", "new layout");
    folder.Put("new/skin/CS/Main.xml", "new Chinese layout");
  }
  void ExpectOld() {
    EXPECT_EQ(Read(folder / "program/OrbManager"), "old program");
    EXPECT_EQ(Read(folder / "program/libKRY.so"), "old library");
    EXPECT_EQ(Read(folder / "program/skin/EN/Main.xml"), "old layout");
    EXPECT_FALSE(fs::exists(folder / "program/skin/CS"));
  }

  TempFolder folder;
};

TEST_F(ProgramSwapTest, PutsEveryFileOfThePackageInPlaceAndKeepsTheOthers) {
  ProgramSwap swap(folder / "new", folder / "program", folder / "old");
  std::string reason;
  ASSERT_TRUE(swap.Apply(&reason)) << reason;
  swap.Commit();
  EXPECT_EQ(Read(folder / "program/OrbManager"), "new program");
  EXPECT_EQ(Read(folder / "program/skin/EN/Main.xml"), "new layout");
  EXPECT_EQ(Read(folder / "program/skin/CS/Main.xml"), "new Chinese layout");
  EXPECT_EQ(Read(folder / "program/libKRY.so"), "old library");
  EXPECT_EQ(Read(folder / "program/keep.txt"), "not in the package");
  EXPECT_FALSE(fs::exists(folder / "old"));
}

TEST_F(ProgramSwapTest, RollbackAfterApplyRestoresTheOldFilesAndThePackage) {
  ProgramSwap swap(folder / "new", folder / "program", folder / "old");
  ASSERT_TRUE(swap.Apply(nullptr));
  ASSERT_TRUE(swap.Rollback());
  ExpectOld();
  EXPECT_EQ(Read(folder / "new/OrbManager"), "new program");
}

TEST_F(ProgramSwapTest, AFileThatCannotTakeItsPlaceUndoesTheWholeSwap) {
  // The package has a file where the installed program has a folder: the last move fails.
  fs::remove(folder / "program/skin/EN/Main.xml");
  folder.Put("program/skin/EN/Main.xml/inside", "a folder's file");
  ProgramSwap swap(folder / "new", folder / "program", folder / "old");
  std::string reason;
  EXPECT_FALSE(swap.Apply(&reason));
  EXPECT_NE(reason.find("is a folder"), std::string::npos) << reason;
  EXPECT_EQ(Read(folder / "program/OrbManager"), "old program");
  EXPECT_EQ(Read(folder / "program/skin/EN/Main.xml/inside"), "a folder's file");
  EXPECT_FALSE(fs::exists(folder / "program/skin/CS"));
}

TEST_F(ProgramSwapTest, ASwapNeitherCommittedNorRolledBackIsUndoneAtTheEnd) {
  {
    ProgramSwap swap(folder / "new", folder / "program", folder / "old");
    ASSERT_TRUE(swap.Apply(nullptr));
  }
  ExpectOld();
}

}  // namespace
}  // namespace updater
