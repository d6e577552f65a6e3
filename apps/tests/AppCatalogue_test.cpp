// The application catalogue: APPS.xml, the installed state and the installer check.
#include <gtest/gtest.h>

#include <tuple>

#include "apps/AppPresentation.h"
#include "apps/ZKRYAPPManager.h"
#include "apps/ZSPSManager.h"
#include "core/ProgramTexts.h"
#include "platform/Files.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::TempFolder;

std::string App(const std::string& id, const std::string& clsid, const std::string& extra = "") {
  return "<ITEM><ID>" + id + "</ID><CLSID>" + clsid + "</CLSID><NAME>App " + id +
         "</NAME><VERSION>1.0</VERSION>" + extra + "</ITEM>";
}
std::string Class(const std::string& id, const std::string& name) {
  return "<ITEM><ID>" + id + "</ID><NAME>" + name +
         "</NAME><LOGO>l.png</LOGO><DESC>d</DESC></ITEM>";
}

class AppCatalogueTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& classes, const std::string& apps) {
    return dir.Put("APPS.xml", "<?xml version=\"1.0\"?><ROOT>" + classes + apps + "</ROOT>");
  }
  // The catalogue's IDs, then each class's: "101 -5 |101 |-5 |".
  std::string Lists() const {
    std::string out;
    for (const auto& a : catalogue.objects()) out += std::to_string(a->ID) + " ";
    for (const auto& c : catalogue.classes()) {
      out += "|";
      for (const auto* a : c->applications) out += std::to_string(a->ID) + " ";
    }
    return out;
  }
  TempFolder dir;
  apps::ZKRYAPPManager catalogue{dir / "Apps"};
};

// Only the first class of an ID gets applications; folders are made as soon as it loads.
TEST_F(AppCatalogueTest, ReadsClassesAndApplicationsInFileOrderAndNothingOfABadFile) {
  platform::CreateFolder(dir / "Apps");
  const std::string path = Write(
      "<CLASS>" + Class("1", "Diagnosis") + Class("2", "Tools") + Class("1", "Twin") + "</CLASS>",
      "<APP>" +
          App("101", "1",
              "<SIZE> 2048</SIZE><MD5>abc</MD5><DESCURL>http://127.0.0.43/d</DESCURL>") +
          App("  -5", "2") + App("12abc", "9") + App("../x", "1") + "</APP>");
  ASSERT_TRUE(catalogue.LoadFromFile(path));
  EXPECT_EQ(Lists(), "101 -5 12 0 |101 0 |-5 |");
  const apps::ZKRYApp& a = *catalogue.objects()[0];
  // A server's ID never names a folder outside Apps.
  EXPECT_EQ(
      std::make_tuple(a.SIZE, a.DESCURL, a.installerPath, platform::IsDirectory(a.installFolder),
                      catalogue.objects()[3]->installFolder),
      std::make_tuple(2048, "http://127.0.0.43/d", dir / "Apps/101/install.exe", true,
                      dir / "Apps/0"));
  // A file that does not parse leaves no old list behind; a missing list is empty.
  EXPECT_FALSE(catalogue.LoadFromFile(dir.Put("bad.xml", "<ROOT><APP>")));
  EXPECT_EQ(Lists(), "");
  EXPECT_FALSE(catalogue.LoadFromFile(dir / "none.xml"));
  ASSERT_TRUE(catalogue.LoadFromFile(Write("", "<APP>" + App("7", "1") + "</APP>")));
  EXPECT_EQ(Lists(), "7 ");
  ASSERT_TRUE(catalogue.LoadFromFile(Write("<CLASS>" + Class("1", "A") + "</CLASS>", "")));
  EXPECT_EQ(Lists(), "|");
}

// Lookups find and remove the first of an ID; loading again rebuilds the applications but
// adds to the SPS links.
TEST_F(AppCatalogueTest, LookupsTakeTheFirstOfAnIdAndLoadingAgainRebuildsOrAppends) {
  const std::string path =
      Write("<CLASS>" + Class("1", "A") + "</CLASS>",
            "<APP>" + App("5", "1") + App("6", "1") + App("5", "1") + "</APP>");
  ASSERT_TRUE(catalogue.LoadFromFile(path) && catalogue.LoadFromFile(path));
  EXPECT_EQ(Lists(), "5 6 5 |5 6 5 ");
  EXPECT_EQ(catalogue.FindByID(5), catalogue.objects()[0].get());
  EXPECT_EQ(catalogue.objects()[2]->installFolder, catalogue.objects()[0]->installFolder);
  EXPECT_TRUE(catalogue.RemoveByID(5) && !catalogue.RemoveByID(99));
  EXPECT_EQ(Lists(), "6 5 |5 6 5 ");  // still in its class, still alive
  catalogue.DeleteAll();
  EXPECT_EQ(Lists(), "|");

  const std::string sps =
      dir.Put("sps.xml",
              "<SPS><ITEM><ID>1</ID><AUTH>0</AUTH><URL>a</URL></ITEM><ITEM><ID>x</ID><AUTH>2"
              "</AUTH></ITEM><ITEM><ID>1</ID><AUTH></AUTH><URL>b</URL></ITEM><OTHER/></SPS>");
  apps::ZSPSManager links;
  ASSERT_TRUE(links.LoadFromFile(sps) && links.LoadFromFile(sps));
  std::string seen;
  for (const auto& l : links.objects()) seen += std::to_string(l->ID) + (l->AUTH ? "+ " : " ");
  EXPECT_EQ(seen, "1 0+ 1 1 0+ 1 ");  // an account mark is any value but 0 or empty
  EXPECT_TRUE(links.LoadFromFile(dir.Put("empty.xml", "<SPS><LIST/></SPS>")));
  EXPECT_FALSE(links.LoadFromFile(dir.Put("bad.xml", "<SPS><ITEM>")));
}

// Installed is the number 1 or more; an update is any other version text than the catalogue's;
// Run needs the target on disk. The buttons, the state word and the badge follow.
TEST_F(AppCatalogueTest, InstalledStateComesFromAppInfo) {
  const std::string target = dir.Put("Apps/1/run.sh", "#!/bin/sh\n");
  using T = core::TextId;
  const apps::AppButtons none{true, false, false, false}, current{false, false, true, true},
      noRun{false, false, true, false}, update{false, true, true, true};
  const struct {
    const char *installed, *version, *target;  // installed nullptr: no AppInfo.ini; target @: one
    const char* catalogue;
    apps::AppButtons buttons;
    T word;
    const char* badge;
  } cases[] = {{nullptr, "", "", "1.0", none, T::kInstall, "uninstalled"},
               {"1", "1.0", "@", "1.0", current, T::kRun, "installed"},
               {"2", "1.0", "@", "1.0", current, T::kRun, "installed"},
               {"1", "1.0.0", "@", "1.0", update, T::kUpdate, "update"},
               {"1", "1.0A", "@", "1.0a", update, T::kUpdate, "update"},
               {"1", "1.0", "/no/such/program", "1.0", noRun, T::kRun, "installed"},
               {"yes", "1.0", "@", "1.0", none, T::kInstall, "uninstalled"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.installed ? c.installed : "(none)") + " " + c.version + c.target);
    platform::DeleteFile(dir / "Apps/1/AppInfo.ini");
    if (c.installed)
      dir.Put("Apps/1/AppInfo.ini",
              std::string("[AppInfo]\nInstalled=") + c.installed + "\nVersion=" + c.version +
                  "\nTarget=" + (*c.target == '@' ? target : c.target) + "\n");
    ASSERT_TRUE(catalogue.LoadFromFile(Write(
        "",
        "<APP><ITEM><ID>1</ID><VERSION>" + std::string(c.catalogue) + "</VERSION></ITEM></APP>")));
    const apps::ZKRYApp& app = *catalogue.objects()[0];
    EXPECT_EQ(std::make_tuple(apps::ButtonsFor(app), app.startable(), apps::StatusLabel(app),
                              std::string(apps::BadgeFile(app))),
              std::make_tuple(c.buttons, c.buttons.run, core::Text(T::kPlease) + core::Text(c.word),
                              "app_" + std::string(c.badge) + ".png"));
  }
}

}  // namespace
