// Start-up against the loopback file server: the version check, the three catalogues, the
// online flag, offline work from the kept files, and the download service.
#include <gtest/gtest.h>

#include "app/ZCoreManager.h"
#include "core/ZConfig.h"
#include "core/tests/ConfigFixture.h"
#include "platform/Files.h"
#include "tests/support/CatalogueSigner.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

const char kApps[] =
    "<APPS><CLASS><ITEM><ID>1</ID><NAME>Diagnosis</NAME></ITEM></CLASS><APP>"
    "<ITEM><ID>101</ID><CLSID>1</CLSID><VERSION>3.2</VERSION></ITEM>"
    "<ITEM><ID>102</ID><CLSID>1</CLSID><VERSION>1.0</VERSION></ITEM></APP></APPS>";
const char kFws[] = "<FWS><ITEM><ID>1</ID><PID>4097</PID><VERSION>V2.1</VERSION></ITEM></FWS>";
const char kUpdate[] = "[UPDATE]\nManagerVersion=1.0.0\nManagerURL=u\nMD5=M\nSize=5\n";
const char kSps[] = "<SPS><ITEM><ID>1</ID><URL>http://127.0.0.44/sps</URL></ITEM></SPS>";
const char kKeptApps[] = "<APPS><APP><ITEM><ID>7</ID></ITEM></APP></APPS>";
const char kKeptFws[] = "<FWS><ITEM><ID>9</ID><PID>1</PID></ITEM><ITEM><ID>8</ID></ITEM></FWS>";

struct Counts {
  std::size_t apps, firmware, sps;
  bool operator==(const Counts& o) const {
    return apps == o.apps && firmware == o.firmware && sps == o.sps;
  }
};

class OnlineStartUpTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    ASSERT_TRUE(web.started());
    web.Put("update.ini", kUpdate);
    web.Put("APPS.xml", kApps);
    web.Put("fws.xml", kFws);
    web.Put("sps.xml", kSps);
    platform::CreateFolders(root / "Language");
    platform::WriteFile(root / "Language/EN.xml", "<lang/>");
    platform::CreateFolders(root / "Download");
  }
  void Configure(const std::string& extra, const std::string& updateUrl = "/update.ini") {
    WriteConfig("[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nUpdateURL=" +
                (updateUrl.empty() ? "" : web.Url(updateUrl)) + "\nApplicationURL=" +
                web.Url("/APPS.xml") + "\nFirmwareURL=" + web.Url("/fws.xml") +
                "\nSPSListURL=" + web.Url("/sps.xml") + "\n" + extra);
    core::ZConfig::Instance().LoadFrom(root.path());
  }
  void KeepFiles(bool apps, bool fws, bool sps) {
    if (apps) platform::WriteFile(root / "Download/APPS.xml", kKeptApps);
    if (fws) platform::WriteFile(root / "Download/fws.xml", kKeptFws);
    if (sps) platform::WriteFile(root / "Download/sps.xml", kSps);
  }
  bool Init() {
    core.SetHandover([this](const std::string& program, const std::string& parameters) {
      handedOver.push_back(program + " " + parameters);
    });
    return core.Init(ui);
  }
  static Counts CountsOf(app::ZCoreManager& run) {
    return {run.appManager()->size(), run.firmwareManager()->entries().size(),
            run.spsManager()->size()};
  }
  std::size_t Requests() { return web.server().requests().size(); }
  // Serves each file with its signature beside it.
  void ServeSigned(const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, bytes] : files) {
      web.Put(name, bytes);
      web.Put(name + ".sig", signer.Sign(bytes));
    }
  }

  testing_support::ServedFolder web{"127.0.0.44"};
  app::ZCoreManager core;
  testing_support::ScriptedInteraction ui;
  std::vector<std::string> handedOver;
  testing_support::CatalogueSigner signer;
};

// An answering server makes the run online; without an update address the catalogues are
// still fetched but the run is not online.
TEST_F(OnlineStartUpTest, AnsweringServerMakesTheRunOnline) {
  for (bool withUpdateUrl : {true, false}) {
    SCOPED_TRACE(withUpdateUrl ? "with UpdateURL" : "empty UpdateURL");
    web.server().ClearRequests();
    Configure("", withUpdateUrl ? "/update.ini" : "");
    app::ZCoreManager run;
    ASSERT_TRUE(run.Init(ui));
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(run.online(), withUpdateUrl);
    EXPECT_FALSE(run.offline());
    EXPECT_EQ(CountsOf(run), (Counts{2, 1, 1}));
    EXPECT_EQ(run.appManager()->classes()[0]->applications.size(), 2u);
    ASSERT_NE(run.downloadService(), nullptr);
    EXPECT_EQ(run.downloadService()->state(), core::ZThread::kRunning);
    EXPECT_EQ(web.server().RequestCount("/update.ini"), withUpdateUrl ? 1 : 0);
    EXPECT_EQ(Requests(), withUpdateUrl ? 4u : 3u);
  }
}

TEST_F(OnlineStartUpTest, ANewVersionIsOfferedAtStartUp) {
  web.Put("update.ini",
          "[UPDATE]\nManagerVersion=1.1.0\nManagerURL=http://127.0.0.44/p\nMD5=AB\nSize=42\n");
  for (bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    Configure("AupdateUpdateProgram=OrbUpdate.exe\n");
    ui.Clear();
    ui.Answer({ok});
    handedOver.clear();
    ASSERT_TRUE(Init()) << "Cancel goes on with the start-up";
    EXPECT_EQ(ui.Texts("question"),
              std::vector<std::string>{"Find new version: 1.1.0, Update now?"});
    EXPECT_EQ(handedOver,
              ok ? std::vector<std::string>{"OrbUpdate.exe 1.0.0 1.1.0 http://127.0.0.44/p 42 AB"}
                 : std::vector<std::string>{});
  }
}

TEST_F(OnlineStartUpTest, AnUnreachableServerSwitchesToTheKeptFiles) {
  web.server().SetFault("/update.ini", {sim::FaultKind::NotFound});
  Configure("");
  KeepFiles(true, true, true);
  ASSERT_TRUE(Init());
  EXPECT_TRUE(core.offline());
  EXPECT_FALSE(core.online());
  EXPECT_EQ(CountsOf(core), (Counts{1, 2, 1}));
  EXPECT_EQ(Requests(), 1u) << "nothing is fetched after the version check failed";
  EXPECT_NE(core.downloadService(), nullptr) << "only configured offline goes without it";
  EXPECT_TRUE(ui.shown().empty());
}

TEST_F(OnlineStartUpTest, ConfiguredOfflineWorksFromTheKeptFilesOnly) {
  const struct {
    const char* name;
    bool apps, fws, sps;
    bool result;
    Counts counts;
    std::vector<std::string> messages;
  } cases[] = {
      {"all kept", true, true, true, true, {1, 2, 1}, {}},
      {"no fws.xml or sps.xml", true, false, false, true, {1, 0, 0}, {}},
      {"no APPS.xml", false, true, true, false, {0, 0, 0}, {"Load app.xml failed！"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* f : {"APPS.xml", "fws.xml", "sps.xml"})
      platform::DeleteFile(root / ("Download/" + std::string(f)));
    KeepFiles(c.apps, c.fws, c.sps);
    Configure("OfflineMode=1\n");
    app::ZCoreManager offline;
    ui.Clear();
    EXPECT_EQ(offline.Init(ui), c.result);
    EXPECT_EQ(ui.Texts("message"), c.messages);
    EXPECT_FALSE(offline.online());
    EXPECT_EQ(offline.downloadService(), nullptr);
    if (c.result) {
      EXPECT_EQ(CountsOf(offline), c.counts);
    }
  }
  EXPECT_EQ(Requests(), 0u) << "no network access at all";
}

// A catalogue that arrives cut, whole but not loading, or (with CatalogueKey) tampered with
// or unsigned, leaves the kept file exactly as it was, and the run fails as for a failed
// download.
TEST_F(OnlineStartUpTest, CatalogueFailuresOnlineKeepTheKeptFile) {
  const struct {
    const char* failing;
    const char* kept;
    bool result;
    const char* message;
  } cases[] = {
      {"APPS.xml", kKeptApps, false, "Download app.xml failed！"},
      {"fws.xml", kKeptFws, true, "Download fw.xml failed！"},
      {"sps.xml", kSps, false, "Load sps.xml failed！"},
  };
  for (const std::string fault : {"cut", "not loading", "tampered", "unsigned"}) {
    const bool signing = fault == "tampered" || fault == "unsigned";
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.failing) + " " + fault);
      web.server().ClearFaults();
      ServeSigned(
          {{"update.ini", kUpdate}, {"APPS.xml", kApps}, {"fws.xml", kFws}, {"sps.xml", kSps}});
      const std::string failing = std::string("/") + c.failing;
      if (fault == "cut") web.server().SetFault(failing, {sim::FaultKind::Cut});
      if (fault == "not loading") web.Put(c.failing, "<APPS><ITEM><ID>1</ID>");
      if (fault == "tampered")
        web.Put(c.failing, *platform::ReadFile(web.files() / c.failing) + " ");
      if (fault == "unsigned")
        platform::DeleteFile(web.files() / (std::string(c.failing) + ".sig"));
      KeepFiles(true, true, true);
      Configure(signing ? "CatalogueKey=" + signer.PublicKey() + "\n" : "");
      app::ZCoreManager run;
      ui.Clear();
      EXPECT_EQ(run.Init(ui), c.result);
      EXPECT_EQ(ui.Texts("message"), std::vector<std::string>{c.message});
      EXPECT_FALSE(run.online());
      if (c.result) {
        EXPECT_TRUE(run.firmwareManager()->entries().empty()) << "the kept fws.xml is not used";
      }
      EXPECT_EQ(platform::ReadFile(root / ("Download/" + std::string(c.failing))).value_or(""),
                c.kept);
    }
  }
}

// Over https every start-up fetch, the signatures included, is checked against the
// configured HttpCacert: the server the test CA signed is trusted, with another CA it is not.
TEST_F(OnlineStartUpTest, StartUpFetchesCheckTheServerAgainstTheConfiguredCaBundle) {
  testing_support::ServedFolder tls{"127.0.0.49", true};
  ASSERT_TRUE(tls.started());
  for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
           {"update.ini", kUpdate}, {"APPS.xml", kApps}, {"fws.xml", kFws}, {"sps.xml", kSps}}) {
    tls.Put(name, bytes);
    tls.Put(name + ".sig", signer.Sign(bytes));
  }
  for (const char* bundle : {"ca.pem", "other-ca.pem"}) {
    SCOPED_TRACE(bundle);
    const bool trusted = std::string(bundle) == "ca.pem";
    tls.server().ClearRequests();
    KeepFiles(true, true, true);
    WriteConfig(
        "[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nCatalogueKey=" + signer.PublicKey() +
        "\nHttpCacert=" + testing_support::TestCert(bundle) +
        "\nUpdateURL=" + tls.Url("/update.ini") + "\nApplicationURL=" + tls.Url("/APPS.xml") +
        "\nFirmwareURL=" + tls.Url("/fws.xml") + "\nSPSListURL=" + tls.Url("/sps.xml") + "\n");
    core::ZConfig::Instance().LoadFrom(root.path());
    app::ZCoreManager run;
    ASSERT_TRUE(run.Init(ui));
    EXPECT_EQ(run.online(), trusted);
    EXPECT_EQ(CountsOf(run), trusted ? (Counts{2, 1, 1}) : (Counts{1, 2, 1}));
    EXPECT_EQ(tls.server().RequestCount("/sps.xml.sig"), trusted ? 1 : 0);
  }
}

// With CatalogueKey a signed set starts online; a version file whose signature fails counts
// as no answer (offline from the kept files, the kept update.ini untouched). Without the key
// nothing is asked for beyond the files themselves.
TEST_F(OnlineStartUpTest, SignedCataloguesStartOnlineAndABadVersionSignatureGoesOffline) {
  const std::string kept = "[UPDATE]\nManagerVersion=0.9\n";
  const struct {
    const char* name;
    bool keyed, tampered;
    bool online;
    std::size_t requests;
  } cases[] = {
      {"signed", true, false, true, 8},
      {"update.ini tampered", true, true, false, 2},
      {"no key", false, true, true, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServeSigned(
        {{"update.ini", kUpdate}, {"APPS.xml", kApps}, {"fws.xml", kFws}, {"sps.xml", kSps}});
    if (c.tampered) web.Put("update.ini", std::string(kUpdate) + "Size=6\n");
    platform::WriteFile(root / "Download/update.ini", kept);
    KeepFiles(true, true, true);
    Configure(c.keyed ? "CatalogueKey=" + signer.PublicKey() + "\n" : "");
    web.server().ClearRequests();
    app::ZCoreManager run;
    ui.Clear();
    ASSERT_TRUE(run.Init(ui));
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(run.online(), c.online);
    EXPECT_EQ(Requests(), c.requests);
    EXPECT_EQ(CountsOf(run), c.online ? (Counts{2, 1, 1}) : (Counts{1, 2, 1}));
    if (!c.online) {
      EXPECT_EQ(platform::ReadFile(root / "Download/update.ini"), kept);
    }
  }
}

// An update.ini without its section (an error page sent as 200) counts as no answer: offline
// from the kept files, and the kept update.ini is untouched.
TEST_F(OnlineStartUpTest, AnUpdateInfoThatDoesNotLoadKeepsTheKeptOne) {
  web.Put("update.ini", "<html><body>Service Unavailable</body></html>\n");
  const std::string kept = "[UPDATE]\nManagerVersion=1.0.0\n";
  platform::WriteFile(root / "Download/update.ini", kept);
  KeepFiles(true, true, true);
  Configure("");
  ASSERT_TRUE(Init());
  EXPECT_TRUE(core.offline());
  EXPECT_EQ(CountsOf(core), (Counts{1, 2, 1}));
  EXPECT_EQ(platform::ReadFile(root / "Download/update.ini").value_or(""), kept);
}

}  // namespace
