// The firmware catalogue: reading fws.xml, the new-firmware rule, and fetching an image.
#include <gtest/gtest.h>

#include <tuple>

#include "codec/MD5.h"
#include "core/ZConfig.h"
#include "firmware/FetchFirmwareImage.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Files.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::TempFolder;

std::string Item(const std::string& body) { return "<ITEM>" + body + "</ITEM>"; }

std::string Catalogue(const std::string& items) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FWS>" + items + "<OTHER/></FWS>";
}

TEST(FirmwareCatalogue, ReadsEveryItemInFileOrder) {
  TempFolder dir;
  const std::string path = dir.Put(
      "fws.xml",
      Catalogue(Item("<ID>7x</ID><PID>4097,,4098,</PID><NAME>VCI firmware with a name far too "
                     "long</NAME><VERSION>V2.1.0</VERSION><SIZE>1024</SIZE><MD5>ABC</MD5>"
                     "<URL>http://127.0.0.42/a.bin</URL>") +
                Item("<ID>2</ID><PID>8193</PID><NAME>Système</NAME><VERSION/><SIZE></SIZE>"
                     "<MD5>DEF</MD5><URL>http://127.0.0.42/b.bin</URL>"
                     "<UPDATELOGURL>http://127.0.0.42/log.txt</UPDATELOGURL>")));
  firmware::ZKRYFirmwareManager catalogue;
  ASSERT_TRUE(catalogue.Load(path));
  ASSERT_EQ(catalogue.entries().size(), 2u);
  const auto& e = catalogue.entries();
  EXPECT_EQ(e[0].PIDs, (std::vector<std::uint32_t>{4097, 4098}));
  // Names are cut to 31 characters; without a change log address the image's own serves.
  EXPECT_EQ(std::to_string(e[0].ID) + " " + e[0].NAME + " " + e[0].UPDATELOGURL + " " + e[1].NAME +
                " " + e[1].UPDATELOGURL,
            "7 VCI firmware with a name far to http://127.0.0.42/a.bin Système "
            "http://127.0.0.42/log.txt");
}

TEST(FirmwareCatalogue, UnreadableFilesFailAndAnEmptyOneLoads) {
  TempFolder dir;
  const std::pair<const char*, bool> cases[] = {{"<FWS><ITEM>", false},
                                                {"<FWS><LIST/></FWS>", true}};
  for (const auto& [content, loads] : cases) {
    firmware::ZKRYFirmwareManager catalogue;
    EXPECT_EQ(catalogue.Load(dir.Put("fws.xml", content)), loads) << content;
    EXPECT_TRUE(catalogue.entries().empty());
  }
}

TEST(FirmwareCatalogue, OnlyTheFirstEntryOfAPidCountsAndVersionsCompareExactly) {
  TempFolder dir;
  firmware::ZKRYFirmwareManager catalogue;
  ASSERT_TRUE(catalogue.Load(
      dir.Put("fws.xml", Catalogue(Item("<ID>1</ID><PID>10,11</PID><VERSION>V2.1</VERSION>") +
                                   Item("<ID>2</ID><PID>11,12</PID><VERSION>V3.0</VERSION>")))));
  // Any other text, even one that sorts the same, is not the catalogue's version.
  const std::tuple<std::uint32_t, const char*, bool, int> cases[] = {
      {10, "V2.1", true, 1}, {11, "V3.0", false, 1},  // the second entry is never considered
      {12, "V3.0", true, 2}, {10, "V2.1 ", false, 1}, {13, "V2.1", false, 0},
  };
  for (const auto& [pid, version, latest, foundId] : cases) {
    SCOPED_TRACE(std::to_string(pid) + " " + version);
    EXPECT_EQ(catalogue.IsLatestVersion(pid, version), latest);
    const auto* entry = catalogue.FindEntry(pid);
    EXPECT_EQ(entry ? entry->ID : 0, foundId);  // 0: none
  }
  EXPECT_FALSE(catalogue.DownloadFirmware(13, dir / "x.dlf"));
}

class FetchImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web.started());
    core::ZConfig::Instance().HttpCacert.clear();
    web.Put("img/KRY-2.1.bin", kNew);
    web.server().SetFault("/img/missing.bin", {sim::FaultKind::NotFound});
  }
  bool Fetch(const std::string& urlPath, const std::string& md5, bool online) {
    firmware::ZKRYFirmwareManager catalogue;
    EXPECT_TRUE(catalogue.Load(local.Put(
        "fws.xml", Catalogue(Item("<PID>4097</PID><URL>" + web.Url(urlPath) + "</URL>")))));
    return firmware::FetchFirmwareImage(catalogue, {local.path(), online}, ui, 4097, "KRY", md5,
                                        "Downloading...");
  }
  std::string Kept() { return platform::ReadFile(local / "KRY.bin").value_or("(none)"); }

  static constexpr const char* kNew = "new image 2.1";
  static constexpr const char* kOld = "old image 2.0";
  testing_support::ServedFolder web{"127.0.0.42"};
  TempFolder local;
  testing_support::ScriptedInteraction ui;
};

// A fresh image replaces the kept one only when it matches its MD5; when the download fails
// (or offline) the kept image serves only when it matches the catalogue. A bad download never
// replaces the kept image and leaves no part behind.
TEST_F(FetchImageTest, OnlyAnImageThatMatchesTheCatalogueIsUsedOrKept) {
  const std::tuple<const char*, bool, bool, bool, bool, const char*, const char*> cases[] = {
      {"fresh image", true, true, true, true, kNew, "Firmware verifying... "},
      {"fresh, other MD5", true, true, true, false, "x", "Firmware incorrect "},
      {"download fails, kept", false, true, true, true, kOld, "Firmware verifying... "},
      {"nothing kept", false, true, false, false, kOld, "Firmware not found!"},
      {"offline, kept", false, false, true, true, kOld, "Firmware verifying... "},
  };
  for (const auto& [name, served, online, kept, ok, md5Of, status] : cases) {
    SCOPED_TRACE(name);
    platform::DeleteFile(local / "KRY.bin");
    if (kept) local.Put("KRY.bin", kOld);
    ui.Clear();
    web.server().ClearRequests();
    const std::string url = served ? "/img/KRY-2.1.bin" : "/img/missing.bin";
    EXPECT_EQ(Fetch(url, codec::MD5Text(md5Of), online), ok);
    EXPECT_EQ(ui.Texts("status").back(), status);
    EXPECT_EQ(Kept(), ok && served ? kNew : kept ? kOld : "(none)");
    EXPECT_FALSE(platform::FileExists(local / "KRY.dlf"));
    EXPECT_EQ(web.server().RequestCount(url), online ? 1 : 0);
  }
}

}  // namespace
