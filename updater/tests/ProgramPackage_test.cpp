#include "updater/ProgramPackage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/ShellRun.h"
#include "tests/support/TempFolder.h"

namespace updater {
namespace {

using testing_support::RunShell;
using testing_support::TempFolder;
namespace fs = std::filesystem;

// Names that tar itself would never write, put in as it packs.
std::string Renamed(const std::string& name) {
  return "touch OrbManager x && tar -cPf package.tar --transform 's,^x$," + name +
         ",' OrbManager x";
}

TEST(ProgramPackageTest, HostilePackagesAreRefusedAndNoFileKeepsSetIdOrStickyBits) {
  // The shell line that writes package.tar in a scratch folder, and why it is refused.
  const std::pair<std::string, const char*> cases[] = {
      {"mkdir p && touch p/OrbManager && ln -s /etc p/skin && tar -cf package.tar -C p .",
       "is a symbolic link"},
      {Renamed("/etc/cron.d/job"), "lies outside"},
      {Renamed("skin/../../libKRY.so"), "lies outside"},
      // Three sparse files of 400 MiB pack into a few hundred bytes.
      {"mkdir p && touch p/OrbManager && for f in a b c; do truncate -s 400M p/$f; done && "
       "tar -cSzf package.tar -C p .",
       "more than 1024 MiB"},
      {"echo 'not an archive' > package.tar", "cannot list"}};
  for (const auto& [makePackage, why] : cases) {
    TempFolder hostile;
    ASSERT_EQ(RunShell("cd '" + hostile.path() + "' && " + makePackage).code, 0);
    fs::create_directory(hostile / "new");
    std::string reason;
    EXPECT_FALSE(UnpackPackage(hostile / "package.tar", hostile / "new", &reason));
    EXPECT_TRUE(reason.find(why) != std::string::npos && fs::is_empty(hostile / "new")) << reason;
  }

  // What is unpacked loses set-id and sticky bits.
  TempFolder folder;
  folder.Put("p/OrbManager", "program");
  folder.Put("p/a -> b", "a name that looks like a link in tar's long listing");
  fs::create_directory(folder / "p/shared");
  ::chmod((folder / "p/OrbManager").c_str(), 06755);
  ::chmod((folder / "p/shared").c_str(), 01777);
  ASSERT_EQ(RunShell("tar -czf '" + (folder / "p.tgz") + "' -C '" + (folder / "p") + "' .").code,
            0);
  fs::create_directory(folder / "new");
  std::string reason;
  ASSERT_TRUE(UnpackPackage(folder / "p.tgz", folder / "new", &reason)) << reason;
  for (const char* name : {"OrbManager", "shared"})
    EXPECT_EQ(fs::status(folder / "new/" + name).permissions() &
                  (fs::perms::set_uid | fs::perms::set_gid | fs::perms::sticky_bit |
                   fs::perms::owner_exec),
              fs::perms::owner_exec)
        << name;
  EXPECT_TRUE(fs::exists(folder / "new/a -> b"));
}

}  // namespace
}  // namespace updater
