// Catalogues a broken or hostile server might send: each is read to a bounded, clear
// outcome, and nothing outside the program's own folders is touched.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "apps/ZKRYAPPManager.h"
#include "apps/ZSPSManager.h"
#include "core/XmlFile.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Text.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

std::string Nested(std::size_t levels) {
  return "<APPS>" + Repeat("<a>", levels) + Repeat("</a>", levels) + "</APPS>";
}

TEST(XmlNesting, CountedAsTheParserOpensElements) {
  // An empty element opens nothing; a quoted "/>" or ">" does not end the tag.
  std::string depths;
  for (const char* text :
       {"<a><b></b><c><d/></c></a>", R"(<?xml version="1.0"?><!DOCTYPE a [<!ENTITY e "x">]><a/>)",
        "<a><!-- <b><b><b> --></a>", "<a><![CDATA[<b><b><b>]]></a>", "<a x=\"/>\"><a y='>'><a>",
        "<a x = \"/>\"><a>", "<a x=\"unterminated><b><c>", "</a></a><a>"})
    depths += std::to_string(core::XmlNestingDepth(text));
  EXPECT_EQ(depths, "20113211");
}

class HostileCatalogue : public ::testing::Test {
 protected:
  testing_support::TempFolder folder;
};

// Neither deep nesting nor a file larger than any catalogue reaches the parser.
TEST_F(HostileCatalogue, DeepOrHugeFilesAreRefusedBeforeTheParserRecurses) {
  // A million levels would exhaust the stack of a recursive parser.
  for (const std::size_t levels : {core::kMaxXmlNesting - 1, std::size_t{1000000}})
    EXPECT_EQ(apps::ZSPSManager().LoadFromFile(folder.Put("sps.xml", Nested(levels))),
              levels < core::kMaxXmlNesting);
  EXPECT_FALSE(apps::ZSPSManager().LoadFromFile(
      folder.Put("sps.xml", "<SPS>" + std::string(core::kMaxXmlBytes, ' ') + "</SPS>")));
}

TEST_F(HostileCatalogue, OverLongTextsAreCutToTheirFields) {
  const std::string huge(1 << 20, 'x');
  const std::string wide = Repeat("\xe2\x82\xac", 1000);  // a character, one UTF-16 unit, 3 bytes
  apps::ZKRYAPPManager catalogue(folder / "Apps");
  ASSERT_TRUE(catalogue.LoadFromFile(folder.Put(
      "APPS.xml", "<APPS><APP><ITEM><ID>1</ID><NAME>" + huge + "</NAME><VERSION>" + wide +
                      "</VERSION><DOWNLOADURL>" + huge + "</DOWNLOADURL></ITEM></APP></APPS>")));
  const apps::ZKRYApp& app = *catalogue.objects().at(0);
  // A field of N units keeps N - 1 and its terminator.
  EXPECT_EQ(std::tuple(app.NAME, app.VERSION, app.DOWNLOADURL.size()),
            std::tuple(std::string(63, 'x'), Repeat("\xe2\x82\xac", 23), 259u));

  firmware::ZKRYFirmwareManager firmware;
  ASSERT_TRUE(firmware.Load(folder.Put("fws.xml", "<FWS><ITEM><PID>" + Repeat("4097,", 100000) +
                                                      "</PID><VERSION>" + huge +
                                                      "</VERSION></ITEM></FWS>")));
  EXPECT_EQ(firmware.entries().at(0).VERSION.size(), 23u);
  EXPECT_LE(firmware.entries().at(0).PIDs.size(), 4096u);  // the PID list is cut like any text
}

TEST_F(HostileCatalogue, WrongEncodingsGiveTextOrAClearRefusalAndEntitiesAreNeverExpanded) {
  const auto named = [](const std::string& name) {
    return "<SPS><ITEM><ID>1</ID><NAME>" + name + "</NAME></ITEM></SPS>";
  };
  const std::pair<std::string, bool> cases[] = {
      {named("Gr\374\337e"), true},  // Latin-1 bytes in a UTF-8 file
      {std::string("<SPS>\0<ITEM/></SPS>", 19), false},
      // Found by fuzzing: the parser read past the end of a file cut inside a name.
      {"<SPS><ITEM \xe8\xbf", false},
  };
  for (const auto& [file, loads] : cases) {
    apps::ZSPSManager links;
    EXPECT_EQ(links.LoadFromFile(folder.Put("sps.xml", file)), loads) << file;
    for (const auto& item : links.objects()) EXPECT_LE(platform::Utf16Length(item->NAME), 32u);
  }
  // Nested references (the "billion laughs" grows ten levels of these) and an outside file.
  const std::string doctype =
      "<!DOCTYPE SPS [<!ENTITY l0 \"ha\"><!ENTITY l9 \"&l0;&l0;\">"
      "<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>";
  const std::string body =
      "<SPS><ITEM><ID>1</ID><NAME>&l9;</NAME><DESC>&ext;</DESC>"
      "<URL>&amp;&#65;&#x42;</URL></ITEM></SPS>";
  // A declaration with an internal subset is refused as a whole.
  apps::ZSPSManager links;
  EXPECT_FALSE(links.LoadFromFile(folder.Put("sps.xml", doctype + body)));
  ASSERT_TRUE(links.LoadFromFile(folder.Put("sps.xml", body)));
  // An unknown reference loses its '&' and stays text: no outside file is read, and only the
  // predefined and numeric references are resolved.
  const apps::ZSPSItem& item = *links.objects().at(0);
  EXPECT_EQ(item.NAME + " " + item.DESC + " " + item.URL, "l9; ext; &AB");
}

}  // namespace
