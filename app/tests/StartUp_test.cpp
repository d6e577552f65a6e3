// The program's start: its steps, what ends it, the clean-up of unfinished downloads, and
// start-up against the loopback file server: the version check, the three catalogues, the
// online flag, offline work from the kept files, and the download service.
#include "app/StartUp.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <utime.h>

#include <array>
#include <ctime>
#include <filesystem>

#include "app/ZCoreManager.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "core/tests/ConfigFixture.h"
#include "net/PartFile.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "tests/support/CatalogueSigner.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

class StartUpTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(root.path());
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// Records the order in which the start-up drives the front end.
class RecordingShell : public app::ProgramShell {
 public:
  std::vector<std::string> calls;
  void SetResourcePath(const std::string& folder) override { calls.push_back("skin " + folder); }
  void ConstructMainFrame() override { calls.emplace_back("construct"); }
  void StartSplash() override { calls.emplace_back("splash"); }
  void CreateMainFrame(const std::string& title) override { calls.push_back("create " + title); }
  void StopSplash() override { calls.emplace_back("stop splash"); }
  void ShowMainWindow() override { calls.emplace_back("show"); }
  void RunMessageLoop() override { calls.emplace_back("loop"); }
};

TEST_F(StartUpTest, RunsTheStepsInOrderAndEndsTheKillList) {
  const std::string sleeper = root / "OrbStale";
  std::filesystem::copy_file("/bin/sleep", sleeper);
  platform::ProcessHandle stale = platform::StartProgram({sleeper, {"30"}});
  ASSERT_TRUE(stale.valid());
  const auto listed = [] {
    for (const auto& p : platform::ListProcesses())
      if (p.exeName == "OrbStale") return true;
    return false;
  };
  for (int i = 0; i < 200 && !listed(); ++i) ::usleep(5000);
  WriteConfig(
      "[CONFIG]\nManagerTittle=OrbManager Test\nLANGUAGE=0\n[PK]\nPKCount=3\nPK_1=orbstale\n"
      "PK_2=NoSuchProgram\nPK_3=\n");
  platform::WriteFile(root / "Kavora.log", "previous run\n");

  RecordingShell shell;
  testing_support::ScriptedInteraction ui;
  EXPECT_EQ(app::RunProgram(shell, ui), 0);
  EXPECT_EQ(stale.Wait(), 128 + SIGKILL);
  const std::string skin = platform::ProgramFolder() + "/skin/CS";
  EXPECT_EQ(shell.calls,
            (std::vector<std::string>{"skin " + skin, "construct", "splash",
                                      "create OrbManager Test", "stop splash", "show", "loop"}));
  EXPECT_EQ(platform::ReadFile(root / "Kavora.log")->find("previous run"), std::string::npos);
}

TEST_F(StartUpTest, AConfigurationThatCannotBeReadIsNamedAndEndsTheStart) {
  platform::CreateFolders(root / "Config/KavoraC.ini");  // a folder in the file's place
  RecordingShell shell;
  testing_support::ScriptedInteraction ui;
  EXPECT_EQ(app::RunProgram(shell, ui), 0);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(ui.Texts("message"),
            std::vector<std::string>{core::Text(core::TextId::kConfigUnreadable) + "\n" +
                                     (root / "Config/KavoraC.ini") + "\nit is a folder"});
  EXPECT_NE(platform::ReadFile(root / "Kavora.log")->find("Failed to read configuration file."),
            std::string::npos);
  EXPECT_TRUE(platform::IsDirectory(root / "Config/KavoraC.ini"));
}

TEST_F(StartUpTest, InitStopsWhenTheLanguageFileCannotBeLoaded) {
  WriteConfig("[CONFIG]\nLANGUAGE=0\n");
  root.Put("Language/CS.xml", "<broken");
  core::ZConfig::Instance().LoadFrom(root.path());
  app::ZCoreManager core;
  testing_support::ScriptedInteraction ui;
  EXPECT_FALSE(core.Init(ui));
  ASSERT_EQ(ui.Texts("message"), std::vector<std::string>{"Load language failed\xEF\xBC\x81"});
  EXPECT_EQ(std::make_pair(ui.shown()[0].icon, ui.shown()[0].caption),
            std::make_pair(core::MessageIcon::Error, std::string()));
}

// Part files of downloads that ended with their process and resumable shares older than a
// week go at start; a transfer still running (its part file locked) and every other file stay.
TEST_F(StartUpTest, UnfinishedDownloadsAreRemovedUnlessStillBeingWritten) {
  const struct {
    const char* name;
    bool stays;
  } files[] = {
      {"Download/APPS.xml.part-a1B2c3", false},
      {"Download/KRY.bin.resume", true},
      {"Download/old.bin.resume", false},  // kept for more than a week
      {"Download/old.bin.resume.info", false},
      {"Apps/7/install.exe.part-x9Y8z7", false},
      {"Apps/7/install.exe", true},
      {"Apps/part-of-nothing.txt", true},
  };
  for (const auto& f : files) root.Put(f.name, "bytes");
  const time_t weekAgo = std::time(nullptr) - time_t{8} * 24 * 60 * 60;
  const utimbuf aged{weekAgo, weekAgo};
  ::utime((root / "Download/old.bin.resume").c_str(), &aged);
  std::filesystem::create_directory_symlink(root / "Download", root / "Apps/link");
  net::PartFile running(root / "Download/fws.xml");
  ASSERT_TRUE(running.Open());

  WriteConfig("[CONFIG]\nLANGUAGE=1\n");
  testing_support::ScriptedInteraction ui;
  ASSERT_TRUE(app::PrepareProgram(ui));
  for (const auto& f : files) EXPECT_EQ(platform::FileExists(root / f.name), f.stays) << f.name;
  EXPECT_TRUE(platform::FileExists(running.partPath())) << "another transfer still writes it";
  EXPECT_NE(platform::ReadFile(root / "Kavora.log").value_or("").find("Removed 4 unfinished"),
            std::string::npos);
}

const char kApps[] =
    "<APPS><CLASS><ITEM><ID>1</ID><NAME>Diagnosis</NAME></ITEM></CLASS><APP>"
    "<ITEM><ID>101</ID><CLSID>1</CLSID><VERSION>3.2</VERSION></ITEM>"
    "<ITEM><ID>102</ID><CLSID>1</CLSID><VERSION>1.0</VERSION></ITEM></APP></APPS>";
const char kFws[] = "<FWS><ITEM><ID>1</ID><PID>4097</PID><VERSION>V2.1</VERSION></ITEM></FWS>";
const char kUpdate[] = "[UPDATE]\nManagerVersion=1.0.0\nManagerURL=u\nMD5=M\nSize=5\n";
const char kSps[] = "<SPS><ITEM><ID>1</ID><URL>http://127.0.0.44/sps</URL></ITEM></SPS>";
const char kKeptApps[] = "<APPS><APP><ITEM><ID>7</ID></ITEM></APP></APPS>";
const char kKeptFws[] = "<FWS><ITEM><ID>9</ID><PID>1</PID></ITEM><ITEM><ID>8</ID></ITEM></FWS>";

// Applications, firmware entries and SPS items loaded.
using Counts = std::array<std::size_t, 3>;

class OnlineStartUpTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    ASSERT_TRUE(web.started());
    web.Put("update.ini", kUpdate);
    web.Put("APPS.xml", kApps);
    web.Put("fws.xml", kFws);
    web.Put("sps.xml", kSps);
    root.Put("Language/EN.xml", "<lang/>");
    platform::CreateFolders(root / "Download");
  }
  void Configure(const std::string& extra, bool withUpdateUrl = true,
                 testing_support::ServedFolder* server = nullptr) {
    auto& from = server ? *server : web;
    WriteConfig("[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nUpdateURL=" +
                (withUpdateUrl ? from.Url("/update.ini") : "") + "\nApplicationURL=" +
                from.Url("/APPS.xml") + "\nFirmwareURL=" + from.Url("/fws.xml") +
                "\nSPSListURL=" + from.Url("/sps.xml") + "\n" + extra);
    core::ZConfig::Instance().LoadFrom(root.path());
  }
  void KeepFiles(bool apps, bool fws, bool sps) {
    if (apps) platform::WriteFile(root / "Download/APPS.xml", kKeptApps);
    if (fws) platform::WriteFile(root / "Download/fws.xml", kKeptFws);
    if (sps) platform::WriteFile(root / "Download/sps.xml", kSps);
  }
  static Counts CountsOf(app::ZCoreManager& run) {
    return {run.appManager()->size(), run.firmwareManager()->entries().size(),
            run.spsManager()->size()};
  }
  // Serves the four files, each with its signature beside it.
  void ServeSigned(testing_support::ServedFolder& to) {
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"update.ini", kUpdate}, {"APPS.xml", kApps}, {"fws.xml", kFws}, {"sps.xml", kSps}}) {
      to.Put(name, bytes);
      to.Put(name + ".sig", signer.Sign(bytes));
    }
  }

  testing_support::ServedFolder web{"127.0.0.44"};
  testing_support::ScriptedInteraction ui;
  testing_support::CatalogueSigner signer;
};

// The version check decides: an answering server (with CatalogueKey, a signed set, over https
// checked against the configured HttpCacert) makes the run online; a version file that fails
// its check (here an error page; a failed signature fails the same way) means offline from the
// kept files, the kept update.ini untouched. Without an update address the catalogues are
// fetched but the run is not online.
TEST_F(OnlineStartUpTest, TheVersionCheckDecidesBetweenOnlineAndTheKeptFiles) {
  testing_support::ServedFolder tls{"127.0.0.49", true};
  ASSERT_TRUE(tls.started());
  const std::string kept = "[UPDATE]\nManagerVersion=0.9\n";
  const struct {
    const char* name;
    const char* updateIni;
    bool withUpdateUrl, keyed;
    bool online, offline;
    std::size_t requests;
  } cases[] = {
      {"no UpdateURL", kUpdate, false, false, false, false, 3},
      {"an error page", "<html><body>Service Unavailable</body></html>\n", true, false, false, true,
       1},
      {"signed over https", kUpdate, true, true, true, false, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto& server = c.keyed ? tls : web;
    ServeSigned(server);
    server.Put("update.ini", c.updateIni);
    platform::WriteFile(root / "Download/update.ini", kept);
    KeepFiles(true, true, true);
    Configure(c.keyed ? "CatalogueKey=" + signer.PublicKey() +
                            "\nHttpCacert=" + testing_support::TestCert("ca.pem") + "\n"
                      : "",
              c.withUpdateUrl, &server);
    server.server().ClearRequests();
    app::ZCoreManager run;
    ui.Clear();
    ASSERT_TRUE(run.Init(ui));
    // Nothing is fetched after a failure; only configured offline goes without downloads.
    EXPECT_EQ(std::make_tuple(
                  ui.shown().size(), run.online(), run.offline(), server.server().requests().size(),
                  CountsOf(run), run.downloadService() != nullptr,
                  !c.offline || platform::ReadFile(root / "Download/update.ini") == kept),
              std::make_tuple(0u, c.online, c.offline, c.requests,
                              c.offline ? Counts{1, 2, 1} : Counts{2, 1, 1}, true, true));
  }
}

TEST_F(OnlineStartUpTest, ConfiguredOfflineWorksFromTheKeptFilesOnly) {
  const struct {
    const char* name;
    bool apps, fws, sps;
    bool result;
    Counts counts;
    std::vector<std::string> messages;
  } cases[] = {
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
    const bool result = offline.Init(ui);
    EXPECT_EQ(std::make_tuple(result, ui.Texts("message"), offline.online(),
                              offline.downloadService() == nullptr,
                              result ? CountsOf(offline) : c.counts),
              std::make_tuple(c.result, c.messages, false, true, c.counts));
  }
  EXPECT_EQ(web.server().requests().size(), 0u) << "no network access at all";
}

// A catalogue that arrives cut, whole but not loading, or (with CatalogueKey) tampered with,
// leaves the kept file exactly as it was, and the run fails as for a failed download. The
// three ways share one fetch, so each catalogue meets one of them.
TEST_F(OnlineStartUpTest, CatalogueFailuresOnlineKeepTheKeptFile) {
  const struct {
    const char* failing;
    const char* fault;
    const char* kept;
    bool result;
    const char* message;
  } cases[] = {
      {"APPS.xml", "cut", kKeptApps, false, "Download app.xml failed！"},
      {"fws.xml", "not loading", kKeptFws, true, "Download fw.xml failed！"},
      {"sps.xml", "tampered", kSps, false, "Load sps.xml failed！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failing);
    const std::string fault = c.fault;
    web.server().ClearFaults();
    ServeSigned(web);
    if (fault == "cut") web.server().SetFault(std::string("/") + c.failing, {sim::FaultKind::Cut});
    if (fault == "not loading") web.Put(c.failing, "<APPS><ITEM><ID>1</ID>");
    if (fault == "tampered") web.Put(c.failing, *platform::ReadFile(web.files() / c.failing) + " ");
    KeepFiles(true, true, true);
    Configure(fault == "tampered" ? "CatalogueKey=" + signer.PublicKey() + "\n" : "");
    app::ZCoreManager run;
    ui.Clear();
    const bool result = run.Init(ui);
    EXPECT_EQ(std::make_tuple(result, ui.Texts("message"), run.online(),
                              !result || run.firmwareManager()->entries().empty(),
                              platform::ReadFile(root / ("Download/" + std::string(c.failing)))),
              std::make_tuple(c.result, std::vector<std::string>{c.message}, false, true,
                              std::optional<std::string>(c.kept)));
  }
}

}  // namespace
