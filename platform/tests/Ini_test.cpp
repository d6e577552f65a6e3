#include "platform/Ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "platform/Files.h"
#include "platform/Text.h"
#include "tests/support/OtherAccount.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::AsNobody;
using testing_support::kNobody;
using testing_support::TempFolder;

std::string Read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def = "DEF", std::size_t capacity = 260) {
  return platform::ReadProfileString(section, key, def, capacity, path);
}

TEST(IniRead, FollowsTheProfileRules) {
  TempFolder dir;
  const std::string path = dir.Put("a.ini",
                                   "; comment line\n[Main]\n  Spaced Key  =   spaced value   \n"
                                   "Quoted=\"in quotes\"\nSingle='x'\nOneQuote=\"\nMixed=\"a'\n"
                                   "Inline=v ;c\n;Hidden=1\nDup=first\ndup=second\nNoValue\n"
                                   "[main]\nOther=from second section\n[ Trimmed Section ]\n"
                                   "k=trimmed\n[S]\nwide=\xE4\xB8\xAD\xE6\x96\x87"
                                   "\xE5\xAD\x97\nemoji=a\xF0\x9F\x98\x80"
                                   "b\n[N]\nsigned= -5\nplus=+8\ntrailing=100M\nempty=\n"
                                   "huge=99999999999999\nwraps=18446744073709551617\n");
  // The first section of a name wins. Values are cut to the caller's buffer (terminator
  // included) on character boundaries; a surrogate pair is never split, and bytes that are
  // not UTF-8 end at the bound, never past it.
  std::string values;
  for (const char* key : {"spaced key", "Quoted", "Single", "OneQuote", "Mixed", "Inline", "Hidden",
                          "Dup", "NoValue", "Other"})
    values += Read(path, "MAIN", key) + "|";
  EXPECT_EQ(values + Read(path, "Trimmed Section", "k") + "|" + Read(path, "Missing", "k") + "|" +
                Read(path, "S", "wide", "DEF", 3) + "|" + Read(path, "S", "emoji", "DEF", 3) + "|" +
                Read(path, "S", "emoji", "DEF", 4) + "|" + Read(path, "S", "missing", "DEF", 3) +
                "|" + platform::CutToCapacity("\xC3", 5) + platform::CutToCapacity("abc", 0),
            "spaced value|in quotes|x|\"|\"a'|v ;c|DEF|first||DEF|trimmed|DEF|"
            "\xE4\xB8\xAD\xE6\x96\x87|a|a\xF0\x9F\x98\x80|DE|\xC3");
  // Integers: leading blanks, a sign, digits up to the first other character, clamped.
  std::string integers;
  for (const char* key : {"signed", "plus", "trailing", "empty", "huge", "wraps"})
    integers += std::to_string(platform::ReadProfileInt("N", key, 7, path)) + " ";
  EXPECT_EQ(integers, "-5 8 100 7 2147483647 2147483647 ");
  EXPECT_EQ(Read(dir / "nofile.ini", "Main", "Quoted", "  dflt  "), "dflt");
  // Binary or truncated files give defaults without crashing.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 131) & 0xFF));
  for (const std::string& content : {junk, std::string("[CONF"), std::string("\xFF\xFE[")})
    EXPECT_EQ(Read(dir.Put("bin.ini", content), "CONF", "Key"), "DEF");
}

TEST(IniWrite, KeepsEveryOtherByteOfTheFileAndItsEncoding) {
  TempFolder dir;
  const std::string path = dir.Put(
      "a.ini", "; settings\r\n[KRY]\r\nLogLevel = 0x01 \r\nOther=keep ;me\r\n\r\n[COMM]\r\nType=4");
  // [COMM] ends without a final newline.
  for (const auto& [section, key, value] : {std::tuple{"kry", "loglevel", "0xff"},
                                            {"KRY", "LogFlag", "1"},
                                            {"COMM", "Port", "7"},
                                            {"NEW", "Key", "v"}})
    EXPECT_TRUE(platform::WriteProfileString(section, key, value, path));
  EXPECT_EQ(*platform::ReadFile(path),
            "; settings\r\n[KRY]\r\nLogLevel=0xff\r\nOther=keep ;me\r\nLogFlag=1\r\n\r\n"
            "[COMM]\r\nType=4\r\nPort=7\r\n[NEW]\r\nKey=v\r\n");
  EXPECT_TRUE(platform::WriteProfileString("S", "k", "v", dir / "new.ini"));
  EXPECT_EQ(platform::ReadFile(dir / "new.ini"), "[S]\nk=v\n");
  EXPECT_FALSE(platform::WriteProfileString("S", "k", "v", dir / "no/such/folder/x.ini"));
  // A value with line breaks cannot add keys or sections.
  const std::string kry = dir.Put("KRY.ini", "[COMM]\nType=4\n[KRY]\nUnlock=0\n");
  for (const char* address : {"10.0.0.1\n[KRY]\nUnlock=1", "10.0.0.1\rUnlock=1"}) {
    platform::WriteProfileString("COMM", "IPAddr", address, kry);
    EXPECT_EQ(*platform::ReadFile(kry), "[COMM]\nType=4\nIPAddr=10.0.0.1\n[KRY]\nUnlock=0\n");
  }

  // UTF-16 files and byte order marks are read and written back as they were.
  const std::string bom = dir.Put("bom.ini", "\xEF\xBB\xBF[S]\nName=\xE4\xB8\xAD\n");
  EXPECT_EQ(Read(bom, "S", "Name"), "\xE4\xB8\xAD");
  platform::WriteProfileString("S", "More", "x", bom);
  EXPECT_EQ(*platform::ReadFile(bom), "\xEF\xBB\xBF[S]\nName=\xE4\xB8\xAD\nMore=x\n");

  std::string raw = "\xFF\xFE";
  for (char16_t c : std::u16string(u"[S]\r\nName=\u4E2D\r\n")) {
    raw.push_back(static_cast<char>(c & 0xFF));
    raw.push_back(static_cast<char>(c >> 8));
  }
  const std::string wide = dir.Put("wide.ini", raw);
  EXPECT_EQ(Read(wide, "s", "name"), "\xE4\xB8\xAD");
  platform::WriteProfileString("S", "Name", "ab", wide);
  // One UTF-16 unit longer, its mark kept.
  raw.replace(raw.size() - 6, 2, std::string("a\0b\0", 4));
  EXPECT_EQ(*platform::ReadFile(wide), raw);
}

// ---- settings files are rewritten safely ----------------------------------------------

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

TEST(SettingsFileWrite, RefusesWhatItMayNotWriteAndWritesThroughLinks) {
  TempFolder dir;
  std::string junk = kOriginal;
  junk[3] = '\0';
  const std::pair<const char*, std::function<void(const std::string&)>> cases[] = {
      {"no write bit", [](const std::string& p) { ::chmod(p.c_str(), 0444); }},
      {"binary content", [&](const std::string& p) { platform::WriteFile(p, junk); }},
      {"a folder", [](const std::string& p) { ::unlink(p.c_str()), ::mkdir(p.c_str(), 0755); }},
      {"a pipe", [](const std::string& p) { ::unlink(p.c_str()), ::mkfifo(p.c_str(), 0666); }}};
  int n = 0;
  for (const auto& [name, make] : cases) {
    const std::string path = dir.Put("case" + std::to_string(++n) + ".ini", kOriginal);
    make(path);
    const std::string before = Take(path);
    std::string reason;
    EXPECT_TRUE(!Write(path, &reason) && !reason.empty() && Take(path) == before) << name;
  }

  // Written through links, keeping the mode and hard links.
  const std::string target = dir.Put("real/KRY.ini", kOriginal);
  ::chmod(target.c_str(), 0640);
  const std::string link = dir / "KRY.ini";
  ::symlink(target.c_str(), link.c_str());
  const std::string twin = dir / "twin.ini";
  ::link(target.c_str(), twin.c_str());
  const std::string dangling = dir / "dangling.ini";
  ::symlink((dir / "real/made.ini").c_str(), dangling.c_str());

  ASSERT_TRUE(Write(link) && Write(dangling));
  struct stat st {};
  for (const auto& l : {link, dangling})
    EXPECT_TRUE(::lstat(l.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(std::make_tuple(st.st_mode & 07777, st.st_nlink, platform::ReadFile(target),
                            platform::ReadFile(twin), platform::ReadFile(dir / "real/made.ini")),
            std::make_tuple(0640u, 2u, kUpdated, kUpdated, "[S]\nk=new\n"));
}

TEST(SettingsFileWrite, OwnersOtherAccountsAndClosedFoldersAreRespected) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as two accounts needs root";
  TempFolder dir;
  ::chmod(dir.path().c_str(), 0777);
  const auto make = [&](const std::string& name, uid_t owner, mode_t mode) {
    std::string p = dir.Put(name, kOriginal);
    ::chown(p.c_str(), owner, owner);
    ::chmod(p.c_str(), mode);
    return p;
  };
  const auto updated = [](mode_t mode, uid_t owner) {
    return std::to_string(S_IFREG | mode) + " " + std::to_string(owner) + " " + kUpdated;
  };

  // Root rewriting another account's file gives the new file that owner and mode.
  const std::string theirs = make("theirs.ini", kNobody, 0604);
  EXPECT_TRUE(Write(theirs));
  EXPECT_EQ(Take(theirs), updated(0604, kNobody));

  // A writable file of another account is rewritten in place: it stays root's.
  const std::string shared = make("shared.ini", 0, 0666);
  EXPECT_TRUE(AsNobody([&] { return Write(shared); }));
  EXPECT_EQ(Take(shared), updated(0666, 0));

  // A folder that takes no new file: rewritten in place, nothing left beside it.
  const std::string closed = dir / "closed";
  ::mkdir(closed.c_str(), 0755);
  const std::string own = make("closed/own.ini", kNobody, 0644);
  ::chown(closed.c_str(), kNobody, kNobody);
  ::chmod(closed.c_str(), 0555);
  EXPECT_TRUE(AsNobody([&] { return Write(own); }));
  EXPECT_EQ(std::make_pair(platform::ReadFile(own).value_or(""),
                           std::distance(std::filesystem::directory_iterator(closed), {})),
            std::make_pair(kUpdated, std::ptrdiff_t{1}));

  // Refused: writable but unreadable, and readable but not writable for this account.
  const std::string unreadable = make("unreadable.ini", kNobody, 0200);
  const std::string foreign = make("foreign.ini", 0, 0644);
  for (const auto& p : {unreadable, foreign}) {
    const std::string before = Take(p);
    EXPECT_TRUE(AsNobody([&] { return !Write(p); }) && Take(p) == before) << p;
  }
  // A file that cannot be read is an error, never taken for a missing one.
  EXPECT_TRUE(AsNobody([&] {
    return platform::IniReader(unreadable).error().find("Permission denied") != std::string::npos;
  }));
}

}  // namespace
