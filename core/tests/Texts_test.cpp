#include <gtest/gtest.h>

#include <set>

#include "core/ProgramTexts.h"
#include "core/ZGUILanguage.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::TempFolder;

TEST(Texts, LanguageFileRulesMergeAndListPositions) {
  TempFolder dir;
  core::ZGUILanguage language(0, dir.Put("CS.xml",
                                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<lang>\n"
                                         "<item id=\"3\" text=\"\xE8\xAE\xBE\xE5\xA4\x87\" />\n"
                                         "<item id=\"3\" text=\"second\" />\n"
                                         "<item id=\"0\" text=\"zero\" />\n"
                                         "<item id=\"abc\" text=\"nan\" />\n"
                                         "<item id=\"4\" />\n<item id=\"5\" text=\"\" />\n"
                                         "<item id=\"999\" text=\"extra\" />\n</lang>\n"));
  ASSERT_TRUE(language.Load());
  EXPECT_FALSE(language.GetText(0) || language.GetText(4));
  core::MergeDefaultTexts(language);
  // The first of duplicates; no text attribute keeps the default, an empty text replaces it;
  // only the built-in ids are program texts.
  using core::Text;
  using Id = core::TextId;
  EXPECT_EQ(std::vector<std::string>({Text(Id::kNotConnected), Text(Id::kHardware),
                                      Text(Id::kSerialNumber), Text(Id::kMyApps), Text(Id{999})}),
            std::vector<std::string>({"\xE8\xAE\xBE\xE5\xA4\x87", "Hardware", "", "My Apps", ""}));

  const std::pair<const char*, bool> files[] = {
      {"<lang><item", false}, {"<lang/>", true}, {"<?xml version=\"1.0\"?><x><y/></x>", true}};
  EXPECT_FALSE(core::ZGUILanguage(1, dir / "missing.xml").Load());
  for (const auto& [content, loads] : files)
    EXPECT_EQ(core::ZGUILanguage(1, dir.Put("L.xml", content)).Load(), loads) << content;

  // The main window's list and KavoraC.ini name the languages differently; both ways agree.
  for (const auto& [value, position] : {std::pair{255, 0}, {0, 1}, {1, 2}, {2, -1}}) {
    EXPECT_EQ(core::LanguageListPosition(value), position);
    EXPECT_EQ(core::LanguageOfListPosition(position).value_or(2), value);
  }
  EXPECT_FALSE(core::LanguageOfListPosition(3));
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
      EXPECT_TRUE(t && (*t == text) == (std::string(name) == "EN.xml")) << name << " " << id;
    }
  }
}

}  // namespace
