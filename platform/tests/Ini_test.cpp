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
  const std::string path = dir / "a.ini";
  platform::WriteFile(path,
                      "; comment line\n"
                      "[Main]\n"
                      "  Spaced Key  =   spaced value   \n"
                      "Quoted=\"in quotes\"\n"
                      "Single='x'\n"
                      "OneQuote=\"\n"
                      "Mixed=\"a'\n"
                      "Inline=v ;c\n"
                      ";Hidden=1\n"
                      "Dup=first\n"
                      "dup=second\n"
                      "NoValue\n"
                      "Empty=\n"
                      "[main]\n"
                      "Other=from second section\n"
                      "[ Trimmed Section ]\n"
                      "k=trimmed\n");
  struct Case {
    const char *section, *key, *expected;
  } cases[] = {
      {"MAIN", "spaced key", "spaced value"},
      {"Main", "Quoted", "in quotes"},
      {"Main", "Single", "x"},
      {"Main", "OneQuote", "\""},
      {"Main", "Mixed", "\"a'"},
      {"Main", "Inline", "v ;c"},
      {"Main", "Hidden", "DEF"},
      {"Main", ";Hidden", "DEF"},
      {"Main", "Dup", "first"},
      {"Main", "NoValue", ""},
      {"Main", "Empty", ""},
      {"Main", "Other", "DEF"},  // the first of duplicate sections wins
      {"Trimmed Section", "k", "trimmed"},
      {"Missing", "k", "DEF"},
      {"Main", "Missing", "DEF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Read(path, c.section, c.key), c.expected) << c.section << "/" << c.key;
  EXPECT_EQ(Read(dir / "nofile.ini", "Main", "Quoted", "  dflt  "), "dflt");
}

TEST(IniRead, CutsToTheCallersBufferOnCharacterBoundaries) {
  TempFolder dir;
  const std::string path = dir / "a.ini";
  platform::WriteFile(path,
                      "[S]\nascii=abcdefgh\nwide=\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\n"
                      "emoji=a\xF0\x9F\x98\x80"
                      "b\n");
  EXPECT_EQ(Read(path, "S", "ascii", "", 5), "abcd");
  EXPECT_EQ(Read(path, "S", "wide", "", 3), "\xE4\xB8\xAD\xE6\x96\x87");
  // A surrogate pair is never split: 'a' plus the pair needs four units with the terminator.
  EXPECT_EQ(Read(path, "S", "emoji", "", 3), "a");
  EXPECT_EQ(Read(path, "S", "emoji", "", 4), "a\xF0\x9F\x98\x80");
  EXPECT_EQ(Read(path, "S", "missing", "longdefault", 5), "long");
}

TEST(IniRead, IntegersAsTheProfileFunctionReadsThem) {
  TempFolder dir;
  const std::string path = dir / "a.ini";
  platform::WriteFile(
      path,
      "[S]\nplain=42\nblanks=   17\nsigned=-5\nplus=+8\ntrailing=100M\n"
      "word=abc\nempty=\nhuge=99999999999999\nhex=0x10\nwraps=18446744073709551617\n");
  struct Case {
    const char* key;
    int expected;
  } cases[] = {{"plain", 42},        {"blanks", 17}, {"signed", -5},       {"plus", 8},
               {"trailing", 100},    {"word", 0},    {"empty", 7},         {"missing", 7},
               {"huge", 2147483647}, {"hex", 0},     {"wraps", 2147483647}};
  for (const auto& c : cases)
    EXPECT_EQ(platform::ReadProfileInt("S", c.key, 7, path), c.expected) << c.key;
}

TEST(IniWrite, KeepsEveryOtherByteOfTheFile) {
  TempFolder dir;
  const std::string path = dir / "a.ini";
  const std::string original =
      "; settings\r\n[KRY]\r\nLogLevel = 0x01 \r\nOther=keep ;me\r\n\r\n[COMM]\r\nType=4\r\n";
  platform::WriteFile(path, original);
  ASSERT_TRUE(platform::WriteProfileString("kry", "loglevel", "0xff", path));
  ASSERT_TRUE(platform::WriteProfileString("KRY", "LogFlag", "1", path));
  ASSERT_TRUE(platform::WriteProfileString("NEW", "Key", "v", path));
  EXPECT_EQ(*platform::ReadFile(path),
            "; settings\r\n[KRY]\r\nLogLevel=0xff\r\nOther=keep ;me\r\nLogFlag=1\r\n\r\n"
            "[COMM]\r\nType=4\r\n[NEW]\r\nKey=v\r\n");
}

TEST(IniWrite, AValueWithLineBreaksCannotAddKeysOrSections) {
  TempFolder dir;
  const std::string path = dir / "KRY.ini";
  platform::WriteFile(path, "[COMM]\nType=4\n[KRY]\nUnlock=0\n");
  for (const char* address :
       {"10.0.0.1\n[KRY]\nUnlock=1", "10.0.0.1\rUnlock=1", "10.0.0.1\r\nType=9"}) {
    ASSERT_TRUE(platform::WriteProfileString("COMM", "IPAddr", address, path));
    EXPECT_EQ(*platform::ReadFile(path), "[COMM]\nType=4\nIPAddr=10.0.0.1\n[KRY]\nUnlock=0\n")
        << address;
  }
}

TEST(IniWrite, CreatesAMissingFileAndFailsCleanlyWhereItCannotWrite) {
  TempFolder dir;
  const std::string path = dir / "new.ini";
  ASSERT_TRUE(platform::WriteProfileString("S", "k", "v", path));
  EXPECT_EQ(*platform::ReadFile(path), "[S]\nk=v\n");
  EXPECT_FALSE(platform::WriteProfileString("S", "k", "v", dir / "no/such/folder/x.ini"));
}

TEST(IniWrite, AppendsToAFileWithoutFinalNewline) {
  TempFolder dir;
  const std::string path = dir / "a.ini";
  platform::WriteFile(path, "[S]\na=1");
  ASSERT_TRUE(platform::WriteProfileString("S", "b", "2", path));
  ASSERT_TRUE(platform::WriteProfileString("T", "c", "3", path));
  EXPECT_EQ(*platform::ReadFile(path), "[S]\na=1\nb=2\n[T]\nc=3\n");
}

TEST(IniEncoding, ReadsAndWritesBackUtf16AndBom) {
  TempFolder dir;
  const std::string bom = dir / "bom.ini";
  platform::WriteFile(bom, "\xEF\xBB\xBF[S]\nName=\xE4\xB8\xAD\n");
  EXPECT_EQ(Read(bom, "S", "Name"), "\xE4\xB8\xAD");
  ASSERT_TRUE(platform::WriteProfileString("S", "More", "x", bom));
  EXPECT_EQ(*platform::ReadFile(bom), "\xEF\xBB\xBF[S]\nName=\xE4\xB8\xAD\nMore=x\n");

  const std::string wide = dir / "wide.ini";
  const std::u16string text = u"[S]\r\nName=\u4E2D\r\n";
  std::string raw = "\xFF\xFE";
  for (char16_t c : text) {
    raw.push_back(static_cast<char>(c & 0xFF));
    raw.push_back(static_cast<char>(c >> 8));
  }
  platform::WriteFile(wide, raw);
  EXPECT_EQ(Read(wide, "s", "name"), "\xE4\xB8\xAD");
  ASSERT_TRUE(platform::WriteProfileString("S", "Name", "ab", wide));
  const std::string after = *platform::ReadFile(wide);
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Read(wide, "S", "Name"), "ab");
  EXPECT_EQ(after.size(), raw.size() + 2);  // one UTF-16 unit longer
}

TEST(IniRead, BinaryOrTruncatedFilesGiveDefaultsWithoutCrashing) {
  TempFolder dir;
  const std::string path = dir / "bin.ini";
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 131) & 0xFF));
  platform::WriteFile(path, junk);
  EXPECT_EQ(Read(path, "CONFIG", "Key"), "DEF");
  platform::WriteFile(path, "[CONF");
  EXPECT_EQ(Read(path, "CONF", "Key"), "DEF");
  platform::WriteFile(path, "\xFF\xFE[");  // odd-length UTF-16
  EXPECT_EQ(Read(path, "S", "Key"), "DEF");
}

}  // namespace
