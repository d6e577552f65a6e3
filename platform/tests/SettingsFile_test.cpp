#include "platform/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/Files.h"
#include "platform/Ini.h"
#include "tests/support/OtherAccount.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::AsNobody;
using testing_support::kNobody;
using testing_support::TempFolder;

const std::string kOriginal = "[S]\r\nk=old\r\nother=kept\r\n";
const std::string kUpdated = "[S]\r\nk=new\r\nother=kept\r\n";

// What a test must find unchanged after a refused write: mode, owner and bytes.
std::string Take(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + " " +
         (S_ISREG(st.st_mode) ? platform::ReadFile(path).value_or("?") : "");
}

bool Write(const std::string& path, std::string* reason = nullptr) {
  return platform::WriteProfileString("S", "k", "new", path, reason);
}

TEST(SettingsFileWrite, RefusesWhatItMayNotWriteAndLeavesItAsItWas) {
  TempFolder dir;
  std::string junk = kOriginal;
  junk[3] = '\0';
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"no write bit", [](const std::string& p) { ::chmod(p.c_str(), 0444); }},
      {"no permission bits", [](const std::string& p) { ::chmod(p.c_str(), 0); }},
      {"binary content", [&](const std::string& p) { platform::WriteFile(p, junk); }},
      {"a folder", [](const std::string& p) { ::unlink(p.c_str()), ::mkdir(p.c_str(), 0755); }},
      {"a pipe", [](const std::string& p) { ::unlink(p.c_str()), ::mkfifo(p.c_str(), 0666); }},
      {"a link to a read-only file",
       [&](const std::string& p) {
         ::chmod(p.c_str(), 0444);
         ::rename(p.c_str(), (p + ".target").c_str());
         ::symlink((p + ".target").c_str(), p.c_str());
       }},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string path = dir.Put("case" + std::to_string(++n) + ".ini", kOriginal);
    c.make(path);
    const std::string before = Take(path) + Take(path + ".target");
    std::string reason;
    EXPECT_FALSE(Write(path, &reason)) << c.name;
    EXPECT_FALSE(reason.empty()) << c.name;
    EXPECT_EQ(Take(path) + Take(path + ".target"), before) << c.name;
  }
}

TEST(SettingsFileWrite, WritesThroughLinksAndKeepsModeAndHardLinks) {
  TempFolder dir;
  const std::string target = dir.Put("real/KRY.ini", kOriginal);
  ::chmod(target.c_str(), 0640);
  const std::string link = dir / "KRY.ini";
  ::symlink(target.c_str(), link.c_str());
  const std::string twin = dir / "twin.ini";
  ::link(target.c_str(), twin.c_str());
  const std::string dangling = dir / "dangling.ini";
  ::symlink((dir / "real/made.ini").c_str(), dangling.c_str());

  ASSERT_TRUE(Write(link));
  ASSERT_TRUE(Write(dangling));
  struct stat st {};
  for (const auto& l : {link, dangling})
    EXPECT_TRUE(::lstat(l.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(platform::ReadFile(target), kUpdated);
  EXPECT_EQ(platform::ReadFile(twin), kUpdated);
  EXPECT_EQ(platform::ReadFile(dir / "real/made.ini"), "[S]\nk=new\n");
}

TEST(SettingsFileWrite, OwnersOtherAccountsAndClosedFoldersAreRespected) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as two accounts needs root";
  TempFolder dir;
  ::chmod(dir.path().c_str(), 0777);
  const auto make = [&](const std::string& name, uid_t owner, mode_t mode) {
    const std::string p = dir.Put(name, kOriginal);
    ::chown(p.c_str(), owner, owner);
    ::chmod(p.c_str(), mode);
    return p;
  };
  const auto ownerAndMode = [](const std::string& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return std::make_pair(st.st_uid, st.st_mode & 07777);
  };

  // Root rewriting another account's file gives the new file that owner and mode.
  const std::string theirs = make("theirs.ini", kNobody, 0604);
  ASSERT_TRUE(Write(theirs));
  EXPECT_EQ(ownerAndMode(theirs), std::make_pair(kNobody, 0604u));
  EXPECT_EQ(platform::ReadFile(theirs), kUpdated);

  // A writable file of another account is rewritten in place: it stays root's.
  const std::string shared = make("shared.ini", 0, 0666);
  EXPECT_TRUE(AsNobody([&] { return Write(shared); }));
  EXPECT_EQ(ownerAndMode(shared), std::make_pair(uid_t{0}, 0666u));
  EXPECT_EQ(platform::ReadFile(shared), kUpdated);

  // A folder that takes no new file: rewritten in place, nothing left beside it.
  const std::string closed = dir / "closed";
  ::mkdir(closed.c_str(), 0755);
  const std::string own = make("closed/own.ini", kNobody, 0644);
  ::chown(closed.c_str(), kNobody, kNobody);
  ::chmod(closed.c_str(), 0555);
  EXPECT_TRUE(AsNobody([&] { return Write(own); }));
  EXPECT_EQ(platform::ReadFile(own), kUpdated);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(closed), {}), 1);

  // Refused: writable but unreadable, and readable but not writable for this account.
  const std::string unreadable = make("unreadable.ini", kNobody, 0200);
  const std::string foreign = make("foreign.ini", 0, 0644);
  for (const auto& p : {unreadable, foreign}) {
    const std::string before = Take(p);
    EXPECT_TRUE(AsNobody([&] { return !Write(p); })) << p;
    EXPECT_EQ(Take(p), before) << p;
  }
}

}  // namespace
