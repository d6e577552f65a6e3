// The firmware catalogue: reading fws.xml, the new-firmware rule, and fetching an image.
#include <gtest/gtest.h>

#include "codec/MD5.h"
#include "core/ZConfig.h"
#include "firmware/FetchFirmwareImage.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Files.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ServedFolder;
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
  const struct {
    const char* name;
    const char* content;
    bool loads;
  } cases[] = {
      {"not XML", "<FWS><ITEM>", false},
      {"no ITEM", "<FWS><LIST/></FWS>", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / (std::string(c.name) + ".xml");
    platform::WriteFile(path, c.content);
    firmware::ZKRYFirmwareManager catalogue;
    EXPECT_EQ(catalogue.Load(path), c.loads);
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
  const struct {
    std::uint32_t pid;
    const char* version;
    bool latest;
    int foundId;  // 0: none
  } cases[] = {
      {10, "V2.1", true, 1}, {11, "V3.0", false, 1},  // the second entry is never considered
      {12, "V3.0", true, 2}, {10, "V2.1 ", false, 1}, {13, "V2.1", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.pid) + " " + c.version);
    EXPECT_EQ(catalogue.IsLatestVersion(c.pid, c.version), c.latest);
    const auto* entry = catalogue.FindEntry(c.pid);
    EXPECT_EQ(entry ? entry->ID : 0, c.foundId);
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

  const std::string kNew = "new image 2.1";
  const std::string kOld = "old image 2.0";
  ServedFolder web{"127.0.0.42"};
  TempFolder local;
  testing_support::ScriptedInteraction ui;
};

// A fresh image replaces the kept one only when it matches its MD5; when the download fails
// (or offline) the kept image serves only when it matches the catalogue. A bad download never
// replaces the kept image and leaves no part behind.
TEST_F(FetchImageTest, OnlyAnImageThatMatchesTheCatalogueIsUsedOrKept) {
  const struct {
    const char* name;
    const char* url;
    bool online;
    const char* kept;  // nullptr: none
    std::string md5;
    bool result;
    const char* lastStatus;
  } cases[] = {
      {"fresh image", "/img/KRY-2.1.bin", true, "old image 2.0", codec::MD5Text(kNew), true,
       "Firmware verifying... "},
      {"fresh image of another MD5", "/img/KRY-2.1.bin", true, "old image 2.0", codec::MD5Text("x"),
       false, "Firmware incorrect "},
      {"download fails, kept image matches", "/img/missing.bin", true, "old image 2.0",
       codec::MD5Text(kOld), true, "Firmware verifying... "},
      {"download fails, nothing kept", "/img/missing.bin", true, nullptr, codec::MD5Text(kOld),
       false, "Firmware not found!"},
      {"offline, kept image matches", "/img/missing.bin", false, "old image 2.0",
       codec::MD5Text(kOld), true, "Firmware verifying... "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::DeleteFile(local / "KRY.bin");
    if (c.kept) local.Put("KRY.bin", c.kept);
    ui.Clear();
    web.server().ClearRequests();
    EXPECT_EQ(Fetch(c.url, c.md5, c.online), c.result);
    EXPECT_EQ(ui.Texts("status").back(), c.lastStatus);
    const bool fresh = c.result && std::string(c.url) != "/img/missing.bin";
    EXPECT_EQ(Kept(), fresh ? kNew : c.kept ? c.kept : "(none)");
    EXPECT_FALSE(platform::FileExists(local / "KRY.dlf"));
    EXPECT_EQ(web.server().RequestCount(c.url), c.online ? 1 : 0);
  }
}

}  // namespace
