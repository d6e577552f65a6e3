#include "platform/Ini.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

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

}  // namespace
