// Catalogues a broken or hostile server might send: each is read to a bounded, clear
// outcome, and nothing outside the program's own folders is touched.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "apps/ZKRYAPPManager.h"
#include "apps/ZSPSManager.h"
#include "core/XmlFile.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

std::string Nested(std::size_t levels) {
  return "<APPS>" + Repeat("<a>", levels) + Repeat("</a>", levels) + "</APPS>";
}

TEST(XmlNesting, CountedAsTheParserOpensElements) {
  // An empty element opens nothing; a quoted "/>" or ">" does not end the tag.
  const std::pair<const char*, std::size_t> cases[] = {
      {"", 0},
      {"<a/>", 0},
      {"<a><b></b><c><d/></c></a>", 2},
      {"<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY e \"x\">]><a/>", 0},
      {"<a><!-- <b><b><b> --></a>", 1},
      {"<a><![CDATA[<b><b><b>]]></a>", 1},
      {"<a x=\"/>\"><a y='>'><a>", 3},
      {"<a x = \"/>\"><a>", 2},
      {"<a x=\"unterminated><b><c>", 1},
      {"</a></a><a>", 1}};
  for (const auto& [text, depth] : cases) EXPECT_EQ(core::XmlNestingDepth(text), depth) << text;
}

class HostileCatalogue : public ::testing::Test {
 protected:
  testing_support::TempFolder folder;
};

TEST_F(HostileCatalogue, DeepNestingIsRefusedBeforeTheParserRecurses) {
  // A million levels would exhaust the stack of a recursive parser.
  for (const std::size_t levels : {core::kMaxXmlNesting - 1, std::size_t{1000000}}) {
    SCOPED_TRACE(levels);
    const bool accepted = levels < core::kMaxXmlNesting;
    apps::ZKRYAPPManager catalogue(folder / "Apps");
    EXPECT_EQ(catalogue.LoadFromFile(folder.Put("APPS.xml", Nested(levels))), accepted);
    firmware::ZKRYFirmwareManager firmware;
    EXPECT_EQ(firmware.Load(folder.Put("fws.xml", Nested(levels))), accepted);
    apps::ZSPSManager links;
    EXPECT_EQ(links.LoadFromFile(folder.Put("sps.xml", Nested(levels))), accepted);
  }
}

TEST_F(HostileCatalogue, AFileLargerThanAnyCatalogueIsNotRead) {
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

TEST_F(HostileCatalogue, TenThousandItemsAreAllKeptInOrder) {
  std::string apps = "<APPS><CLASS><ITEM><ID>1</ID></ITEM></CLASS><APP>";
  std::string fws = "<FWS>", sps = "<SPS>";
  for (int i = 0; i < 10000; ++i) {
    const std::string id = std::to_string(i);
    apps += "<ITEM><ID>" + id + "</ID><CLSID>1</CLSID></ITEM>";
    fws += "<ITEM><ID>" + id + "</ID><PID>" + id + "</PID><VERSION>" + id + "</VERSION></ITEM>";
    sps += "<ITEM><ID>" + id + "</ID></ITEM>";
  }
  apps::ZKRYAPPManager catalogue(folder / "Apps");
  firmware::ZKRYFirmwareManager firmware;
  apps::ZSPSManager links;
  ASSERT_TRUE(catalogue.LoadFromFile(folder.Put("APPS.xml", apps + "</APP></APPS>")) &&
              firmware.Load(folder.Put("fws.xml", fws + "</FWS>")) &&
              links.LoadFromFile(folder.Put("sps.xml", sps + "</SPS>")));
  EXPECT_EQ(
      std::vector<std::size_t>({catalogue.size(), catalogue.classes().at(0)->applications.size(),
                                firmware.entries().size(), links.size()}),
      std::vector<std::size_t>(4, 10000));
  EXPECT_EQ(catalogue.objects().back()->ID, 9999);
  EXPECT_TRUE(firmware.IsLatestVersion(9999, "9999"));
}

TEST_F(HostileCatalogue, WrongEncodingsGiveTextOrAClearRefusal) {
  const auto named = [](const std::string& name) {
    return "<SPS><ITEM><ID>1</ID><NAME>" + name + "</NAME></ITEM></SPS>";
  };
  const std::pair<std::string, bool> cases[] = {
      {named("Gr\374\337e"), true},  // Latin-1 bytes in a UTF-8 file
      {named("\xe2\x82"), false},    // a truncated UTF-8 sequence
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + named("x"), true},
      {std::string("\xff\xfe<\0S\0P\0S\0/\0>\0", 14), false},  // UTF-16 with byte order mark
      {std::string("<SPS>\0<ITEM/></SPS>", 19), false},
      // Found by fuzzing: the parser read past the end of a file cut inside a name.
      {"<SPS><ITEM \xe8\xbf", false},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false},
  };
  for (const auto& [file, loads] : cases) {
    apps::ZSPSManager links;
    EXPECT_EQ(links.LoadFromFile(folder.Put("sps.xml", file)), loads) << file;
    for (const auto& item : links.objects()) EXPECT_LE(platform::Utf16Length(item->NAME), 32u);
  }
}

TEST_F(HostileCatalogue, EntitiesAreNeverExpanded) {
  // The classic "billion laughs": ten levels of ten references each, and an outside file.
  std::string doctype = "<!DOCTYPE SPS [<!ENTITY l0 \"ha\">";
  for (int i = 1; i < 10; ++i) {
    doctype += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) doctype += "&l" + std::to_string(i - 1) + ";";
    doctype += "\">";
  }
  doctype += "<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>";
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

TEST_F(HostileCatalogue, ServerNamesNeverChooseWhereFilesGo) {
  // Only the numeric ID names an application's folder; names, logos and addresses with ".."
  // or absolute paths stay texts.
  apps::ZKRYAPPManager catalogue(folder / "Apps");
  ASSERT_TRUE(catalogue.LoadFromFile(
      folder.Put("APPS.xml",
                 "<APPS><APP>"
                 "<ITEM><ID>../../x</ID><NAME>../../etc/passwd</NAME><LOGO>/etc/shadow</LOGO>"
                 "<DOWNLOADURL>http://127.0.0.1/../../../etc/passwd</DOWNLOADURL></ITEM>"
                 "<ITEM><ID>-7</ID><LOGO>..\\..\\boot.ini</LOGO></ITEM>"
                 "<ITEM><ID>12/../../13</ID></ITEM>"
                 "</APP></APPS>")));
  ASSERT_EQ(catalogue.size(), 3u);
  std::vector<std::string> folders;
  for (const auto& app : catalogue.objects()) {
    folders.push_back(app->installFolder);
    EXPECT_EQ(app->installerPath, platform::JoinPath(app->installFolder, "install.exe"));
  }
  const std::string apps = folder / "Apps";
  EXPECT_EQ(folders, (std::vector<std::string>{apps + "/0", apps + "/-7", apps + "/12"}));
  EXPECT_FALSE(platform::FileExists(folder / "x"));  // nothing made outside the Apps folder
}

}  // namespace
