#include <gtest/gtest.h>

#include <set>

#include "core/ProgramTexts.h"
#include "core/ZGUILanguage.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::TempFolder;

TEST(Texts, TheBuiltInTableHasEveryTextOnce) {
  const auto& table = core::BuiltInTexts();
  EXPECT_EQ(table.size(), 74u);
  std::set<unsigned> ids;
  for (const auto& [id, text] : table) EXPECT_TRUE(ids.insert(id).second) << id;
  for (const auto& [id, text] : core::ProjectTexts()) {
    EXPECT_GE(id, 1000u);
    EXPECT_TRUE(ids.insert(id).second) << id;
  }
  EXPECT_EQ(core::Text(core::TextId::kMyApps), "My Apps");
  EXPECT_EQ(core::Text(core::TextId::kFailedRetry), "Failed,Retry\xEF\xBC\x81");  // full-width mark
  EXPECT_EQ(core::Text(core::TextId::kFirmwareVerifying),
            "Firmware verifying... ");  // trailing blank kept
  EXPECT_EQ(core::Text(core::TextId{12}), "");
}

TEST(Texts, LanguageFileRulesAndMerge) {
  TempFolder dir;
  const std::string path = dir / "CS.xml";
  platform::WriteFile(path,
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<lang>\n"
                      "<item id=\"3\" text=\"\xE8\xAE\xBE\xE5\xA4\x87\" />\n"
                      "<item id=\"3\" text=\"second\" />\n"
                      "<item id=\"0\" text=\"zero\" />\n"
                      "<item id=\"abc\" text=\"nan\" />\n"
                      "<item id=\"4\" />\n"
                      "<item id=\"5\" text=\"\" />\n"
                      "<item id=\"999\" text=\"extra\" />\n"
                      "</lang>\n");
  core::ZGUILanguage language(0, path);
  ASSERT_TRUE(language.Load());
  EXPECT_EQ(language.GetText(3), "\xE8\xAE\xBE\xE5\xA4\x87");
  EXPECT_FALSE(language.GetText(0).has_value());
  EXPECT_FALSE(language.GetText(4).has_value());
  core::MergeDefaultTexts(language);
  EXPECT_EQ(core::Text(core::TextId::kNotConnected), "\xE8\xAE\xBE\xE5\xA4\x87");
  EXPECT_EQ(core::Text(core::TextId::kHardware), "Hardware");  // no text attribute: default
  EXPECT_EQ(core::Text(core::TextId::kSerialNumber), "");      // an empty text replaces the default
  EXPECT_EQ(core::Text(core::TextId::kMyApps), "My Apps");
  EXPECT_EQ(core::Text(core::TextId{999}), "");  // only the built-in ids are program texts
}

// The main window's list and KavoraC.ini name the languages differently; both ways agree.
TEST(Texts, LanguageListPositions) {
  const struct { int value, position; } listed[] = {{255, 0}, {0, 1}, {1, 2}};
  for (const auto& c : listed) {
    EXPECT_EQ(core::LanguageListPosition(c.value), c.position) << c.value;
    EXPECT_EQ(core::LanguageOfListPosition(c.position), c.value) << c.position;
  }
  for (int unlisted : {-1, 2, 7}) EXPECT_EQ(core::LanguageListPosition(unlisted), -1) << unlisted;
  for (int none : {-1, 3}) EXPECT_FALSE(core::LanguageOfListPosition(none)) << none;
}

TEST(Texts, BadLanguageFiles) {
  TempFolder dir;
  struct Case {
    const char* content;
    bool loads;
  } cases[] = {{nullptr, false},       {"", false},
               {"<lang><item", false}, {"not xml at all", false},
               {"<lang/>", true},      {"<?xml version=\"1.0\"?><x><y/></x>", true}};
  for (const auto& c : cases) {
    const std::string path = dir / "L.xml";
    platform::DeleteFile(path);
    if (c.content) platform::WriteFile(path, c.content);
    core::ZGUILanguage language(1, path);
    EXPECT_EQ(language.Load(), c.loads) << (c.content ? c.content : "(missing)");
  }
}

TEST(Texts, ShippedLanguageFilesTranslateEveryText) {
  for (const char* name : {"EN.xml", "CS.xml"}) {
    core::ZGUILanguage language(1, std::string(ORB_SOURCE_DIR) + "/Language/" + name);
    ASSERT_TRUE(language.Load()) << name;
    auto table = core::BuiltInTexts();
    const auto& own = core::ProjectTexts();
    table.insert(table.end(), own.begin(), own.end());
    for (const auto& [id, text] : table) {
      const auto t = language.GetText(id);
      ASSERT_TRUE(t.has_value()) << name << " lacks " << id;
      if (std::string(name) == "EN.xml")
        EXPECT_EQ(*t, text) << id;
      else
        EXPECT_NE(*t, text) << id;
    }
  }
}

}  // namespace
