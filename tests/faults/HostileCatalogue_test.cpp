// Catalogues a broken or hostile server might send: each is read to a bounded, clear
// outcome, and nothing outside the program's own folders is touched.
#include <gtest/gtest.h>

#include <string>

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
  const struct {
    const char* text;
    std::size_t depth;
  } cases[] = {
      {"", 0},
      {"<a/>", 1 - 1},  // an empty element opens nothing
      {"<a><b></b><c><d/></c></a>", 2},
      {"<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY e \"x\">]><a/>", 0},
      {"<a><!-- <b><b><b> --></a>", 1},
      {"<a><![CDATA[<b><b><b>]]></a>", 1},
      // A quoted "/>" or ">" does not end the tag, so the elements still nest.
      {"<a x=\"/>\"><a y='>'><a>", 3},
      {"<a x = \"/>\"><a>", 2},
      {"<a x=\"unterminated><b><c>", 1},
      {"</a></a><a>", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(core::XmlNestingDepth(c.text), c.depth) << c.text;
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
  std::string text = "<SPS>" + std::string(core::kMaxXmlBytes, ' ') + "</SPS>";
  apps::ZSPSManager links;
  EXPECT_FALSE(links.LoadFromFile(folder.Put("sps.xml", text)));
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
  EXPECT_EQ(app.NAME, std::string(63, 'x'));
  EXPECT_EQ(app.VERSION, Repeat("\xe2\x82\xac", 23));
  EXPECT_EQ(app.DOWNLOADURL.size(), 259u);

  firmware::ZKRYFirmwareManager firmware;
  ASSERT_TRUE(firmware.Load(folder.Put("fws.xml", "<FWS><ITEM><PID>" + Repeat("4097,", 100000) +
                                                      "</PID><VERSION>" + huge +
                                                      "</VERSION></ITEM></FWS>")));
  EXPECT_EQ(firmware.entries().at(0).VERSION.size(), 23u);
  EXPECT_LE(firmware.entries().at(0).PIDs.size(), 4096u) << "the PID list is cut like any text";
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
  ASSERT_TRUE(catalogue.LoadFromFile(folder.Put("APPS.xml", apps + "</APP></APPS>")));
  EXPECT_EQ(catalogue.size(), 10000u);
  EXPECT_EQ(catalogue.classes().at(0)->applications.size(), 10000u);
  EXPECT_EQ(catalogue.objects().back()->ID, 9999);
  firmware::ZKRYFirmwareManager firmware;
  ASSERT_TRUE(firmware.Load(folder.Put("fws.xml", fws + "</FWS>")));
  EXPECT_EQ(firmware.entries().size(), 10000u);
  EXPECT_TRUE(firmware.IsLatestVersion(9999, "9999"));
  apps::ZSPSManager links;
  ASSERT_TRUE(links.LoadFromFile(folder.Put("sps.xml", sps + "</SPS>")));
  EXPECT_EQ(links.size(), 10000u);
}

TEST_F(HostileCatalogue, WrongEncodingsGiveTextOrAClearRefusal) {
  const struct {
    const char* name;
    std::string file;
    bool loads;
  } cases[] = {
      {"Latin-1 bytes in a UTF-8 file",
       "<SPS><ITEM><ID>1</ID><NAME>Gr\xfc\xdf"
       "e</NAME></ITEM></SPS>",
       true},
      {"truncated UTF-8 sequence", "<SPS><ITEM><ID>1</ID><NAME>\xe2\x82</NAME></ITEM></SPS>",
       false},
      {"declared Latin-1",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><SPS><ITEM><ID>1</ID></ITEM></SPS>", true},
      {"UTF-16 with byte order mark", std::string("\xff\xfe<\0S\0P\0S\0/\0>\0", 14), false},
      {"NUL bytes", std::string("<SPS>\0<ITEM/></SPS>", 19), false},
      // Found by fuzzing: the parser read past the end of a file cut inside a name.
      {"file ending inside a multibyte name", "<SPS><ITEM \xe8\xbf", false},
      {"binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false},
  };
  for (const auto& c : cases) {
    apps::ZSPSManager links;
    EXPECT_EQ(links.LoadFromFile(folder.Put("sps.xml", c.file)), c.loads) << c.name;
    for (const auto& item : links.objects())
      EXPECT_LE(platform::Utf16Length(item->NAME), 32u) << c.name;
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
  apps::ZSPSManager links;
  EXPECT_FALSE(links.LoadFromFile(folder.Put("sps.xml", doctype + body)))
      << "a declaration with an internal subset is refused as a whole";
  ASSERT_TRUE(links.LoadFromFile(folder.Put("sps.xml", body)));
  const apps::ZSPSItem& item = *links.objects().at(0);
  // An unknown reference loses its '&' and stays text.
  EXPECT_EQ(item.NAME, "l9;");
  EXPECT_EQ(item.DESC, "ext;") << "no outside file is read";
  EXPECT_EQ(item.URL, "&AB") << "only the predefined and numeric references are resolved";
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
  EXPECT_FALSE(platform::FileExists(folder / "x")) << "nothing made outside the Apps folder";
}

}  // namespace
