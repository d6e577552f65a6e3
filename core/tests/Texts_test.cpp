#include <gtest/gtest.h>

#include <set>

#include "core/ProgramTexts.h"
#include "core/ZGUILanguage.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::TempFolder;

TEST(Texts, LanguageFileRulesAndMerge) {
  TempFolder dir;
  const std::string path = dir.Put("CS.xml",
                                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<lang>\n"
                                   "<item id=\"3\" text=\"\xE8\xAE\xBE\xE5\xA4\x87\" />\n"
                                   "<item id=\"3\" text=\"second\" />\n"
                                   "<item id=\"0\" text=\"zero\" />\n"
                                   "<item id=\"abc\" text=\"nan\" />\n"
                                   "<item id=\"4\" />\n<item id=\"5\" text=\"\" />\n"
                                   "<item id=\"999\" text=\"extra\" />\n</lang>\n");
  core::ZGUILanguage language(0, path);
  ASSERT_TRUE(language.Load());
  EXPECT_FALSE(language.GetText(0).has_value());
  EXPECT_FALSE(language.GetText(4).has_value());
  core::MergeDefaultTexts(language);
  EXPECT_EQ(core::Text(core::TextId::kNotConnected),
            "\xE8\xAE\xBE\xE5\xA4\x87");                       // the first of duplicates
  EXPECT_EQ(core::Text(core::TextId::kHardware), "Hardware");  // no text attribute: default
  EXPECT_EQ(core::Text(core::TextId::kSerialNumber), "");      // an empty text replaces the default
  EXPECT_EQ(core::Text(core::TextId::kMyApps), "My Apps");
  EXPECT_EQ(core::Text(core::TextId{999}), "");  // only the built-in ids are program texts

  const std::pair<const char*, bool> files[] = {{"", false},
                                                {"<lang><item", false},
                                                {"not xml at all", false},
                                                {"<lang/>", true},
                                                {"<?xml version=\"1.0\"?><x><y/></x>", true}};
  EXPECT_FALSE(core::ZGUILanguage(1, dir / "missing.xml").Load());
  for (const auto& [content, loads] : files)
    EXPECT_EQ(core::ZGUILanguage(1, dir.Put("L.xml", content)).Load(), loads) << content;
}

// The main window's list and KavoraC.ini name the languages differently; both ways agree.
TEST(Texts, LanguageListPositions) {
  const std::pair<int, int> listed[] = {{255, 0}, {0, 1}, {1, 2}};
  for (const auto& [value, position] : listed) {
    EXPECT_EQ(core::LanguageListPosition(value), position) << value;
    EXPECT_EQ(core::LanguageOfListPosition(position), value) << position;
  }
  for (int unlisted : {-1, 2, 7}) EXPECT_EQ(core::LanguageListPosition(unlisted), -1) << unlisted;
  for (int none : {-1, 3}) EXPECT_FALSE(core::LanguageOfListPosition(none)) << none;
}

// Every text of the program, once, in both shipped files: English as built in, Chinese
// really translated.
TEST(Texts, ShippedLanguageFilesTranslateEveryText) {
  auto table = core::BuiltInTexts();
  const auto& own = core::ProjectTexts();
  table.insert(table.end(), own.begin(), own.end());
  std::set<unsigned> ids;
  for (const auto& [id, text] : table) EXPECT_TRUE(ids.insert(id).second) << id;
  for (const auto& [id, text] : own) EXPECT_GE(id, 1000u);
  for (const char* name : {"EN.xml", "CS.xml"}) {
    core::ZGUILanguage language(1, std::string(ORB_SOURCE_DIR) + "/Language/" + name);
    ASSERT_TRUE(language.Load()) << name;
    for (const auto& [id, text] : table) {
      const auto t = language.GetText(id);
      ASSERT_TRUE(t.has_value()) << name << " lacks " << id;
      EXPECT_EQ(*t == text, std::string(name) == "EN.xml") << name << " " << id;
    }
  }
}

}  // namespace
