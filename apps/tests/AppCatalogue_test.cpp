// The application catalogue: APPS.xml, the installed state and the installer check.
#include <gtest/gtest.h>

#include "apps/ZKRYAPPManager.h"
#include "codec/MD5.h"
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
  // The IDs of a class's applications, or of the whole catalogue.
  template <typename List>
  static std::vector<int> Ids(const List& list) {
    std::vector<int> ids;
    ids.reserve(list.size());
    for (const auto& a : list) ids.push_back(a->ID);
    return ids;
  }
  std::vector<int> Ids() const { return Ids(catalogue.objects()); }
  TempFolder dir;
  apps::ZKRYAPPManager catalogue{dir / "Apps"};
};

TEST_F(AppCatalogueTest, ReadsClassesAndApplicationsInFileOrder) {
  platform::CreateFolder(dir / "Apps");
  const std::string path = Write(
      "<CLASS>" + Class("1", "Diagnosis") + Class("2", "Tools") + Class("1", "Twin") + "</CLASS>",
      "<APP>" +
          App("101", "1",
              "<SIZE> 2048</SIZE><MD5>abc</MD5><DESCURL>http://127.0.0.43/d</DESCURL>") +
          App("  -5", "2") + App("12abc", "9") + App("word", "1") + "</APP>");
  ASSERT_TRUE(catalogue.LoadFromFile(path));
  EXPECT_EQ(Ids(), (std::vector<int>{101, -5, 12, 0}));
  ASSERT_EQ(catalogue.classes().size(), 3u);
  EXPECT_EQ(Ids(catalogue.classes()[0]->applications), (std::vector<int>{101, 0}));
  EXPECT_EQ(Ids(catalogue.classes()[1]->applications), (std::vector<int>{-5}));
  EXPECT_TRUE(catalogue.classes()[2]->applications.empty()) << "only the first class of an ID";
  const apps::ZKRYApp& a = *catalogue.objects()[0];
  EXPECT_EQ(a.SIZE, 2048);
  EXPECT_EQ(a.DESCURL, "http://127.0.0.43/d");
  EXPECT_EQ(a.installFolder, dir / "Apps/101");
  EXPECT_EQ(a.installerPath, dir / "Apps/101/install.exe");
  EXPECT_TRUE(platform::IsDirectory(dir / "Apps/101")) << "made as soon as the catalogue loads";
  EXPECT_TRUE(platform::IsDirectory(dir / "Apps/0"));
}

TEST_F(AppCatalogueTest, MissingListsAreEmptyAndBadFilesFail) {
  ASSERT_TRUE(catalogue.LoadFromFile(Write("", "<APP>" + App("7", "1") + "</APP>")));
  EXPECT_TRUE(catalogue.classes().empty());
  EXPECT_EQ(catalogue.size(), 1u);
  ASSERT_TRUE(catalogue.LoadFromFile(Write("<CLASS>" + Class("1", "A") + "</CLASS>", "")));
  EXPECT_EQ(catalogue.size(), 0u);
  EXPECT_EQ(catalogue.classes().size(), 1u);

  for (const char* content : {"", "<ROOT><APP>", "just text"}) {
    SCOPED_TRACE(content);
    ASSERT_TRUE(catalogue.LoadFromFile(Write("", "<APP>" + App("7", "1") + "</APP>")));
    EXPECT_FALSE(catalogue.LoadFromFile(dir.Put("bad.xml", content)));
    EXPECT_EQ(catalogue.size(), 0u) << "the old lists are gone";
    EXPECT_TRUE(catalogue.classes().empty());
  }
  EXPECT_FALSE(catalogue.LoadFromFile(dir / "none.xml"));
}

TEST_F(AppCatalogueTest, LookupsTakeTheFirstOfAnIdAndLoadingAgainRebuilds) {
  const std::string path =
      Write("<CLASS>" + Class("1", "A") + "</CLASS>",
            "<APP>" + App("5", "1") + App("6", "1") + App("5", "1") + "</APP>");
  ASSERT_TRUE(catalogue.LoadFromFile(path));
  ASSERT_TRUE(catalogue.LoadFromFile(path));
  EXPECT_EQ(Ids(), (std::vector<int>{5, 6, 5}));
  EXPECT_EQ(catalogue.classes()[0]->applications.size(), 3u);
  apps::ZKRYApp* first = catalogue.objects()[0].get();
  EXPECT_EQ(catalogue.FindByID(5), first);
  EXPECT_EQ(catalogue.objects()[2]->installFolder, first->installFolder) << "one folder per ID";
  EXPECT_TRUE(catalogue.RemoveByID(5));
  EXPECT_EQ(Ids(), (std::vector<int>{6, 5}));
  EXPECT_EQ(catalogue.classes()[0]->applications[0]->ID, 5) << "still in its class, still alive";
  EXPECT_FALSE(catalogue.RemoveByID(99));
  catalogue.DeleteAll();
  EXPECT_EQ(catalogue.size(), 0u);
  EXPECT_TRUE(catalogue.classes()[0]->applications.empty());
}

TEST_F(AppCatalogueTest, InstalledStateComesFromAppInfo) {
  const std::string target = dir.Put("Apps/1/run.sh", "#!/bin/sh\n");
  const struct {
    const char* appInfo;  // nullptr: no file
    const char* version;
    apps::ZKRYApp::State state;
    bool startable;
  } cases[] = {
      {nullptr, "1.0", apps::ZKRYApp::State::NotInstalled, false},
      {"Installed=1\nVersion=1.0\nTarget=@", "1.0", apps::ZKRYApp::State::Current, true},
      {"Installed=2\nVersion=1.0\nTarget=@", "1.0", apps::ZKRYApp::State::Current, true},
      {"Installed=1\nVersion=1.0.0\nTarget=@", "1.0", apps::ZKRYApp::State::UpdateAvailable, true},
      {"Installed=1\nVersion=1.0A\nTarget=@", "1.0a", apps::ZKRYApp::State::UpdateAvailable, true},
      {"Installed=1\nVersion=2.0\nTarget=@", "1.0", apps::ZKRYApp::State::UpdateAvailable, true},
      {"Installed=1\nVersion=1.0\nTarget=", "1.0", apps::ZKRYApp::State::Current, false},
      {"Installed=1\nVersion=1.0\nTarget=/no/such/program", "1.0", apps::ZKRYApp::State::Current,
       false},
      {"Installed=0\nVersion=1.0\nTarget=@", "1.0", apps::ZKRYApp::State::NotInstalled, false},
      {"Installed=yes\nVersion=1.0\nTarget=@", "1.0", apps::ZKRYApp::State::NotInstalled, false},
      {"Installed=\nVersion=1.0\nTarget=@", "1.0", apps::ZKRYApp::State::NotInstalled, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.appInfo ? c.appInfo : "(no AppInfo.ini)");
    platform::DeleteFile(dir / "Apps/1/AppInfo.ini");
    if (c.appInfo) {
      std::string text = std::string("[AppInfo]\n") + c.appInfo + "\n";
      const auto at = text.find('@');
      if (at != std::string::npos) text.replace(at, 1, target);
      dir.Put("Apps/1/AppInfo.ini", text);
    }
    ASSERT_TRUE(
        catalogue.LoadFromFile(Write("", "<APP><ITEM><ID>1</ID><VERSION>" + std::string(c.version) +
                                             "</VERSION></ITEM></APP>")));
    const apps::ZKRYApp& app = *catalogue.objects()[0];
    EXPECT_EQ(app.state(), c.state);
    EXPECT_EQ(app.startable(), c.startable);
  }
}

TEST_F(AppCatalogueTest, TheInstallerMustHaveItsSizeAndDigest) {
  const std::string installer = "#!/bin/sh\necho installing\n";
  std::string lower = codec::MD5Text(installer);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  std::string changed = installer;
  changed[3] = 'X';
  const struct {
    const char* name;
    const char* file;  // nullptr: none
    std::string content;
    std::string md5;
    bool ok;
  } cases[] = {
      {"intact", "install.exe", installer, codec::MD5Text(installer), true},
      {"lower-case MD5 in the catalogue", "install.exe", installer, lower, true},
      {"missing", nullptr, installer, codec::MD5Text(installer), false},
      {"wrong size", "install.exe", installer + "x", codec::MD5Text(installer + "x"), false},
      {"one byte changed", "install.exe", changed, codec::MD5Text(installer), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::DeleteFile(dir / "Apps/3/install.exe");
    if (c.file) dir.Put("Apps/3/install.exe", c.content);
    ASSERT_TRUE(catalogue.LoadFromFile(
        Write("", "<APP><ITEM><ID>3</ID><SIZE>" + std::to_string(installer.size()) +
                      "</SIZE><MD5>" + c.md5 + "</MD5></ITEM></APP>")));
    EXPECT_EQ(catalogue.objects()[0]->CheckInstaller(), c.ok);
  }
}

}  // namespace
