#include "platform/Ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "platform/Files.h"
#include "platform/SettingsFile.h"
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
                                   "k=trimmed\n[S]\nascii=abcdefgh\nwide=\xE4\xB8\xAD\xE6\x96\x87"
                                   "\xE5\xAD\x97\nemoji=a\xF0\x9F\x98\x80"
                                   "b\n");
  // The first section of a name wins. Values are cut to the caller's buffer (terminator
  // included) on character boundaries; a surrogate pair is never split.
  const struct {
    const char *section, *key, *expected;
    std::size_t capacity = 260;
  } cases[] = {{"MAIN", "spaced key", "spaced value"},
               {"Main", "Quoted", "in quotes"},
               {"Main", "Single", "x"},
               {"Main", "OneQuote", "\""},
               {"Main", "Mixed", "\"a'"},
               {"Main", "Inline", "v ;c"},
               {"Main", "Hidden", "DEF"},
               {"Main", "Dup", "first"},
               {"Main", "NoValue", ""},
               {"Main", "Other", "DEF"},
               {"Trimmed Section", "k", "trimmed"},
               {"Missing", "k", "DEF"},
               {"S", "ascii", "abcd", 5},
               {"S", "wide", "\xE4\xB8\xAD\xE6\x96\x87", 3},
               {"S", "emoji", "a", 3},
               {"S", "emoji", "a\xF0\x9F\x98\x80", 4},
               {"S", "missing", "DE", 3}};
  for (const auto& c : cases)
    EXPECT_EQ(Read(path, c.section, c.key, "DEF", c.capacity), c.expected) << c.key;
  EXPECT_EQ(Read(dir / "nofile.ini", "Main", "Quoted", "  dflt  "), "dflt");
  // Binary or truncated files give defaults without crashing.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 131) & 0xFF));
  for (const std::string& content : {junk, std::string("[CONF"), std::string("\xFF\xFE[")})
    EXPECT_EQ(Read(dir.Put("bin.ini", content), "CONF", "Key"), "DEF");
}

TEST(IniRead, IntegersAsTheProfileFunctionReadsThem) {
  TempFolder dir;
  const std::string path =
      dir.Put("a.ini",
              "[S]\nplain=42\nblanks=   17\nsigned=-5\nplus=+8\ntrailing=100M\n"
              "word=abc\nempty=\nhuge=99999999999999\nhex=0x10\nwraps=18446744073709551617\n");
  const std::pair<const char*, int> cases[] = {
      {"plain", 42},        {"blanks", 17}, {"signed", -5},       {"plus", 8},
      {"trailing", 100},    {"word", 0},    {"empty", 7},         {"missing", 7},
      {"huge", 2147483647}, {"hex", 0},     {"wraps", 2147483647}};
  for (const auto& [key, expected] : cases)
    EXPECT_EQ(platform::ReadProfileInt("S", key, 7, path), expected) << key;
}

TEST(IniWrite, KeepsEveryOtherByteOfTheFile) {
  TempFolder dir;
  const std::string path = dir.Put(
      "a.ini", "; settings\r\n[KRY]\r\nLogLevel = 0x01 \r\nOther=keep ;me\r\n\r\n[COMM]\r\nType=4");
  ASSERT_TRUE(platform::WriteProfileString("kry", "loglevel", "0xff", path));
  ASSERT_TRUE(platform::WriteProfileString("KRY", "LogFlag", "1", path));
  ASSERT_TRUE(platform::WriteProfileString("COMM", "Port", "7", path));  // no final newline
  ASSERT_TRUE(platform::WriteProfileString("NEW", "Key", "v", path));
  EXPECT_EQ(*platform::ReadFile(path),
            "; settings\r\n[KRY]\r\nLogLevel=0xff\r\nOther=keep ;me\r\nLogFlag=1\r\n\r\n"
            "[COMM]\r\nType=4\r\nPort=7\r\n[NEW]\r\nKey=v\r\n");
  ASSERT_TRUE(platform::WriteProfileString("S", "k", "v", dir / "new.ini"));
  EXPECT_EQ(*platform::ReadFile(dir / "new.ini"), "[S]\nk=v\n");
  EXPECT_FALSE(platform::WriteProfileString("S", "k", "v", dir / "no/such/folder/x.ini"));
}

TEST(IniWrite, AValueWithLineBreaksCannotAddKeysOrSections) {
  TempFolder dir;
  const std::string path = dir.Put("KRY.ini", "[COMM]\nType=4\n[KRY]\nUnlock=0\n");
  for (const char* address :
       {"10.0.0.1\n[KRY]\nUnlock=1", "10.0.0.1\rUnlock=1", "10.0.0.1\r\nType=9"}) {
    ASSERT_TRUE(platform::WriteProfileString("COMM", "IPAddr", address, path));
    EXPECT_EQ(*platform::ReadFile(path), "[COMM]\nType=4\nIPAddr=10.0.0.1\n[KRY]\nUnlock=0\n")
        << address;
  }
}

TEST(IniEncoding, ReadsAndWritesBackUtf16AndBom) {
  TempFolder dir;
  const std::string bom = dir.Put("bom.ini", "\xEF\xBB\xBF[S]\nName=\xE4\xB8\xAD\n");
  EXPECT_EQ(Read(bom, "S", "Name"), "\xE4\xB8\xAD");
  ASSERT_TRUE(platform::WriteProfileString("S", "More", "x", bom));
  EXPECT_EQ(*platform::ReadFile(bom), "\xEF\xBB\xBF[S]\nName=\xE4\xB8\xAD\nMore=x\n");

  std::string raw = "\xFF\xFE";
  for (char16_t c : std::u16string(u"[S]\r\nName=\u4E2D\r\n")) {
    raw.push_back(static_cast<char>(c & 0xFF));
    raw.push_back(static_cast<char>(c >> 8));
  }
  const std::string wide = dir.Put("wide.ini", raw);
  EXPECT_EQ(Read(wide, "s", "name"), "\xE4\xB8\xAD");
  ASSERT_TRUE(platform::WriteProfileString("S", "Name", "ab", wide));
  const std::string after = *platform::ReadFile(wide);
  EXPECT_EQ(after.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Read(wide, "S", "Name"), "ab");
  EXPECT_EQ(after.size(), raw.size() + 2);  // one UTF-16 unit longer
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
    const std::string p = dir.Put(name, kOriginal);
    ::chown(p.c_str(), owner, owner);
    ::chmod(p.c_str(), mode);
    return p;
  };
  const auto ownerModeAndText = [](const std::string& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return std::make_tuple(st.st_uid, st.st_mode & 07777, platform::ReadFile(p).value_or(""));
  };

  // Root rewriting another account's file gives the new file that owner and mode.
  const std::string theirs = make("theirs.ini", kNobody, 0604);
  ASSERT_TRUE(Write(theirs));
  EXPECT_EQ(ownerModeAndText(theirs), std::make_tuple(kNobody, 0604u, kUpdated));

  // A writable file of another account is rewritten in place: it stays root's.
  const std::string shared = make("shared.ini", 0, 0666);
  EXPECT_TRUE(AsNobody([&] { return Write(shared); }));
  EXPECT_EQ(ownerModeAndText(shared), std::make_tuple(uid_t{0}, 0666u, kUpdated));

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
    EXPECT_TRUE(AsNobody([&] { return !Write(p); })) << p;
    EXPECT_EQ(Take(p), before) << p;
  }
}

}  // namespace
