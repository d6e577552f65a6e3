// The application window's procedures against the loopback file server, with real
// installer scripts that record how they were run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "apps/AppPresentation.h"
#include "apps/ZAPPProcedure.h"
#include "apps/ZKRYAPPManager.h"
#include "codec/MD5.h"
#include "core/ProgramTexts.h"
#include "net/ZDownloadFileService.h"
#include "platform/Files.h"
#include "tests/support/RecordingInstaller.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ScriptedInteraction;
using testing_support::ServedFolder;
using testing_support::TempFolder;

const std::string kInstaller = testing_support::RecordingInstaller();

class AppProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.started());
    server.Put("apps/7/install.exe", kInstaller);
    platform::CreateFolder(dir / "Apps");
  }

  // Loads a catalogue of one application whose SIZE and MD5 are the served installer's,
  // unless `size` says otherwise.
  apps::ZKRYApp& Load(int size = -1, const std::string& version = "2.0") {
    const std::string xml =
        "<APPS><APP><ITEM><ID>7</ID><CLSID>1</CLSID><NAME>Scope</NAME><VERSION>" + version +
        "</VERSION><SIZE>" + std::to_string(size < 0 ? int(kInstaller.size()) : size) +
        "</SIZE><MD5>" + codec::MD5Text(kInstaller) + "</MD5><DOWNLOADURL>" +
        server.Url("/apps/7/install.exe") + "</DOWNLOADURL><DESCURL>" + server.Url("/desc.txt") +
        "</DESCURL></ITEM></APP></APPS>";
    EXPECT_TRUE(catalogue.LoadFromFile(dir.Put("APPS.xml", xml)));
    return *catalogue.objects().at(0);
  }
  std::unique_ptr<apps::ZAPPProcedure> Procedure(apps::ZKRYApp& app, bool offline = false,
                                                 bool oem = false) {
    auto p = std::make_unique<apps::ZAPPProcedure>(
        app, script, apps::ZAPPProcedure::Modes{offline, oem, dir / "Download"},
        [this](net::ZDownloadTask* task) { service.Download(task); });
    p->SetButtonsListener([this](const apps::AppButtons& b) { published.push_back(b); });
    return p;
  }
  std::string Runs() { return platform::ReadFile(dir / "Apps/7/runs.log").value_or(""); }
  std::vector<std::string> InstallTexts() {
    std::vector<std::string> out;
    for (const auto& s : script.shown())
      if (s.kind == "label" && s.windowName == "btnInstall") out.push_back(s.text);
    return out;
  }

  TempFolder dir;
  ServedFolder server{"127.0.0.61"};
  apps::ZKRYAPPManager catalogue{dir / "Apps"};
  ScriptedInteraction script;
  net::ZDownloadFileService service{""};
  std::vector<apps::AppButtons> published;
};

const apps::AppButtons kInstallOnly{true, false, false, false};
const apps::AppButtons kInstalledCurrent{false, false, true, true};

TEST_F(AppProcedureTest, InstallDownloadsChecksRunsTheInstallerAndRereadsTheState) {
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app);
  EXPECT_EQ(p->Refresh(), kInstallOnly);
  p->Install();
  EXPECT_EQ(Runs(), "i\n");
  EXPECT_EQ(app.state(), apps::ZKRYApp::State::Current);
  EXPECT_EQ(published.back(), kInstalledCurrent);
  const auto texts = InstallTexts();
  ASSERT_GE(texts.size(), 6u);
  EXPECT_EQ(texts.front(), core::Text(core::TextId::kDownloading));
  EXPECT_EQ(texts[1], core::Text(core::TextId::kDownloading)) << "the started event";
  EXPECT_EQ(texts[texts.size() - 4], "100%");
  EXPECT_EQ(texts[texts.size() - 3], core::Text(core::TextId::kChecking));
  EXPECT_EQ(texts[texts.size() - 2], core::Text(core::TextId::kInstalling));
  EXPECT_EQ(texts.back(), core::Text(core::TextId::kInstall));
  EXPECT_FALSE(p->busy());
  EXPECT_TRUE(script.Texts("tip").empty());
}

// A download longer than the announced SIZE is cut there: the bar never passes 100 %.
TEST_F(AppProcedureTest, AnInstallerLongerThanItsSizeIsCutAndFailsTheCheck) {
  apps::ZKRYApp& app = Load(40);
  auto p = Procedure(app);
  p->Refresh();
  p->Install();
  const auto texts = InstallTexts();
  int highest = 0;
  for (const auto& t : texts)
    if (!t.empty() && t.back() == '%') highest = std::max(highest, std::stoi(t));
  EXPECT_LE(highest, 100);
  const auto shown = script.shown();
  const auto tip =
      std::find_if(shown.begin(), shown.end(), [](const auto& s) { return s.kind == "tip"; });
  ASSERT_NE(tip, shown.end());
  EXPECT_EQ(tip->windowName, "FCFWND");
  EXPECT_EQ(tip->text, "The file check failed, please try again ！");
  EXPECT_EQ(tip->value, 0) << "OK only";
  EXPECT_EQ(texts.back(), core::Text(core::TextId::kInstall));
  EXPECT_FALSE(platform::FileExists(app.installerPath)) << "a file that failed is deleted";
  EXPECT_EQ(Runs(), "") << "never run";
  EXPECT_TRUE(published.back().install);
  EXPECT_FALSE(p->busy());
}

// An installer cut by the server is resumed at the next Install; a kept share that does not
// belong to the file (changed on disk) makes the whole fail its check, and nothing stays.
TEST_F(AppProcedureTest, ACutInstallerIsResumedAndAResumedFileThatFailsItsCheckIsDeleted) {
  for (bool spoiled : {false, true}) {
    SCOPED_TRACE(spoiled ? "spoiled share" : "good share");
    apps::ZKRYApp& app = Load();
    platform::DeleteFile(dir / "Apps/7/runs.log");
    auto p = Procedure(app);
    server.server().SetFault("/apps/7/install.exe", {sim::FaultKind::Cut});
    p->Refresh();
    p->Install();
    server.server().ClearFaults();
    const std::string share = app.installerPath + ".resume";
    const std::string kept = platform::ReadFile(share).value_or("");
    ASSERT_EQ(kept.size(), kInstaller.size() / 2);
    if (spoiled) platform::WriteFile(share, std::string(kept.size(), '#'));
    script.Clear();
    p->Install();
    EXPECT_EQ(server.server().requests().back().range,
              "bytes=" + std::to_string(kept.size()) + "-");
    EXPECT_EQ(Runs(), spoiled ? "" : "i\n");
    EXPECT_EQ(script.Texts("tip").size(), spoiled ? 1u : 0u);
    EXPECT_EQ(platform::FileExists(app.installerPath), !spoiled);
    EXPECT_FALSE(platform::FileExists(share));
    platform::DeleteFile(app.installerPath);
    platform::DeleteFile(app.appInfoPath());
  }
}

// Cancels the download at its first progress, as closing the window does.
struct CancelOnProgress : net::ZDownloadFileServiceNotify {
  apps::ZAPPProcedure* procedure = nullptr;
  void OnNotify(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value) override {
    if (event == kProgress) procedure->CancelDownload();
    procedure->OnDownloadEvent(task, event, value);
  }
};

// Closing the window during the download: the finished event still comes, but nothing is
// installed or checked, no part of the file stays and Install is offered again.
TEST_F(AppProcedureTest, ACancelledDownloadInstallsNothingAndOffersInstallAgain) {
  server.Put("apps/7/install.exe", std::string(1 << 20, 'i'));
  server.server().SetFault("/apps/7/install.exe", {sim::FaultKind::Slow, "", 1});
  apps::ZKRYApp& app = Load(0);  // no size bound to end it first
  auto p = Procedure(app);
  CancelOnProgress observer;
  observer.procedure = p.get();
  p->SetObserver(&observer);
  p->Refresh();
  p->Install();
  EXPECT_EQ(Runs() + std::to_string(script.Texts("tip").size()), "0") << "no run, no check";
  EXPECT_EQ(InstallTexts().back(), core::Text(core::TextId::kInstall));
  EXPECT_TRUE(std::filesystem::is_empty(app.installFolder)) << "no installer, no part file";
  EXPECT_EQ(published.back(), kInstallOnly);
  EXPECT_FALSE(p->busy() || p->CancelDownload()) << "nothing left to cancel";
}

TEST_F(AppProcedureTest, AFailedDownloadEndsInTheCheckMessage) {
  apps::ZKRYApp& app = Load();
  app.DOWNLOADURL = server.Url("/apps/none/install.exe");
  auto p = Procedure(app);
  p->Install();
  EXPECT_EQ(script.Texts("tip"),
            std::vector<std::string>{core::Text(core::TextId::kFileCheckFailed)});
  EXPECT_EQ(app.state(), apps::ZKRYApp::State::NotInstalled);
}

// The update (remove, download, install, read again) runs through the app command's test.
TEST_F(AppProcedureTest, RemovalWithoutAnInstallerStillLeavesTheApplicationNotInstalled) {
  apps::ZKRYApp& app = Load();
  dir.Put("Apps/7/AppInfo.ini", "[AppInfo]\nVersion=2.0\nInstalled=1\nTarget=/bin/sh\n");
  app.ReadAppInfo(false);
  ASSERT_EQ(app.state(), apps::ZKRYApp::State::Current);
  auto p = Procedure(app);
  p->Remove();
  EXPECT_FALSE(platform::FileExists(app.appInfoPath()));
  EXPECT_EQ(app.state(), apps::ZKRYApp::State::NotInstalled);
  EXPECT_EQ(published.back(), kInstallOnly);
  EXPECT_EQ(InstallTexts(), std::vector<std::string>{core::Text(core::TextId::kInstall)});
}

// Every file of the install folder with its bytes.
std::map<std::string, std::string> FolderContents(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[entry.path().string()] = platform::ReadFile(entry.path().string()).value_or("");
  return files;
}

// Version 3.0's installer also notes that it was the one run.
const std::string kNewInstaller =
    testing_support::RecordingInstaller("3.0") + "echo \"new $*\" >>\"$here/runs.log\"\n";

// An update whose new installer does not arrive whole leaves version 2.0 exactly as it was.
TEST_F(AppProcedureTest, AFailedUpdateDownloadOrCheckKeepsTheInstalledApplication) {
  server.Put("apps/7/new.exe", kNewInstaller);
  const struct {
    const char* name;
    std::string url;
    std::string md5;
    std::size_t size;
  } cases[] = {
      {"missing on the server", "/apps/7/none.exe", codec::MD5Text(kNewInstaller),
       kNewInstaller.size()},
      {"another MD5", "/apps/7/new.exe", codec::MD5Text("other"), kNewInstaller.size()},
      {"another size", "/apps/7/new.exe", codec::MD5Text(kNewInstaller), kNewInstaller.size() - 1},
  };
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app);
  p->Install();
  ASSERT_EQ(app.state(), apps::ZKRYApp::State::Current);
  const auto installed = FolderContents(dir / "Apps/7");
  for (const auto& c : cases) {
    script.Clear();
    app.VERSION = "3.0";
    app.DOWNLOADURL = server.Url(c.url);
    app.MD5 = c.md5;
    app.SIZE = static_cast<int>(c.size);
    p->Update();
    EXPECT_EQ(script.Texts("tip"),
              std::vector<std::string>{core::Text(core::TextId::kFileCheckFailed)})
        << c.name;
    EXPECT_EQ(FolderContents(dir / "Apps/7"), installed) << c.name;
    EXPECT_EQ(app.appInfo.Version, "2.0") << c.name;
    EXPECT_EQ(published.back(), (apps::AppButtons{false, true, true, true})) << c.name;
    EXPECT_FALSE(platform::FileExists(p->UpdateInstallerPath())) << c.name;
    EXPECT_FALSE(p->busy());
  }
  // The window closed during the download: no check message, nothing touched either.
  script.Clear();
  server.Put("apps/7/big.exe", std::string(1 << 20, 'i'));
  server.server().SetFault("/apps/7/big.exe", {sim::FaultKind::Slow, "", 1});
  app.DOWNLOADURL = server.Url("/apps/7/big.exe");
  app.SIZE = 0;
  CancelOnProgress observer;
  observer.procedure = p.get();
  p->SetObserver(&observer);
  p->Update();
  EXPECT_TRUE(script.Texts("tip").empty());
  EXPECT_EQ(FolderContents(dir / "Apps/7"), installed);
  EXPECT_FALSE(platform::FileExists(p->UpdateInstallerPath()));
  EXPECT_EQ(published.back(), (apps::AppButtons{false, true, true, true}));
}

// The old installer removes, the new one (moved over it) installs.
TEST_F(AppProcedureTest, AnUpdateRemovesWithTheOldInstallerAndInstallsTheCheckedNewOne) {
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app);
  p->Install();
  server.Put("apps/7/new.exe", kNewInstaller);
  app.VERSION = "3.0";
  app.DOWNLOADURL = server.Url("/apps/7/new.exe");
  app.MD5 = codec::MD5Text(kNewInstaller);
  app.SIZE = static_cast<int>(kNewInstaller.size());
  p->Update();
  EXPECT_EQ(Runs(), "i\nu\ni\nnew i\n");
  EXPECT_EQ(platform::ReadFile(app.installerPath), kNewInstaller);
  EXPECT_EQ(app.state(), apps::ZKRYApp::State::Current);
  EXPECT_FALSE(platform::FileExists(p->UpdateInstallerPath()));
  EXPECT_EQ(platform::FolderOf(p->UpdateInstallerPath()), dir / "Download");
}

// Another program holds the install folder: nothing runs and the application stays.
TEST_F(AppProcedureTest, AnInstallFolderInUseByAnotherProgramIsRefused) {
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app);
  p->Install();
  app.VERSION = "3.0";
  const auto installed = FolderContents(dir / "Apps/7");
  const int other = ::open((dir / "Apps/7").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  for (auto action : {&apps::ZAPPProcedure::Update, &apps::ZAPPProcedure::Remove}) {
    script.Clear();
    ((*p).*action)();
    EXPECT_EQ(script.Texts("message"),
              std::vector<std::string>{"Scope is being installed by another program."});
    EXPECT_EQ(FolderContents(dir / "Apps/7"), installed);
  }
  ::close(other);
  p->Update();
  EXPECT_EQ(Runs(), "i\nu\ni\n") << "free again";
}

// Records whether the installer had run when the progress window came up.
class OrderCheckingInteraction : public ScriptedInteraction {
 public:
  explicit OrderCheckingInteraction(std::string log) : log_(std::move(log)) {}
  void ShowProgressWindow(const core::ProgressWindowSpec& spec,
                          const std::atomic<bool>& done) override {
    installerRanBefore.push_back(platform::FileExists(log_));
    ScriptedInteraction::ShowProgressWindow(spec, done);
  }
  std::vector<bool> installerRanBefore;

 private:
  std::string log_;
};

TEST_F(AppProcedureTest, OemModeShowsTheTimedProgressWindowBeforeEachSilentRun) {
  apps::ZKRYApp& app = Load();
  OrderCheckingInteraction oem(dir / "Apps/7/runs.log");
  apps::ZAPPProcedure p(app, oem, {false, true},
                        [this](net::ZDownloadTask* task) { service.Download(task); });
  p.Install();
  platform::DeleteFile(dir / "Apps/7/runs.log");
  p.Remove();
  EXPECT_EQ(Runs(), "u s\n");
  EXPECT_EQ(oem.installerRanBefore, (std::vector<bool>{false, false}));
  std::vector<std::string> captions;
  for (const auto& s : oem.shown())
    if (s.kind == "progresswindow") {
      captions.push_back(s.caption);
      EXPECT_EQ(s.maximum, 5);
      EXPECT_EQ(s.windowName, "");
    }
  EXPECT_EQ(captions, (std::vector<std::string>{"Installing ...", "Removing ..."}));
  EXPECT_FALSE(p.Detail()) << "no web page in OEM mode";
}

TEST_F(AppProcedureTest, OfflineInstallUsesTheInstallerOnDiskOrShowsTheCheckMessage) {
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app, /*offline=*/true);
  p->Install();
  EXPECT_EQ(script.Texts("tip"),
            std::vector<std::string>{core::Text(core::TextId::kFileCheckFailed)});
  EXPECT_EQ(Runs(), "");

  script.Clear();
  dir.Put("Apps/7/install.exe", kInstaller);
  p->Install();
  EXPECT_TRUE(script.Texts("tip").empty());
  EXPECT_EQ(Runs(), "i\n");
  EXPECT_EQ(app.state(), apps::ZKRYApp::State::Current);
  EXPECT_EQ(InstallTexts(), (std::vector<std::string>{core::Text(core::TextId::kChecking),
                                                      core::Text(core::TextId::kInstalling),
                                                      core::Text(core::TextId::kInstall)}));

  p->Update();
  EXPECT_EQ(Runs(), "i\n") << "no update offline";
  EXPECT_EQ(p->FetchDescription(), "") << "nothing fetched offline";
}

TEST_F(AppProcedureTest, EventsFromTheServiceThreadKeepTheirOrderAndTheStepRunsThere) {
  apps::ZKRYApp& app = Load();
  net::ZDownloadFileService threaded{""};
  ASSERT_TRUE(threaded.Start());
  std::thread::id stepThread;
  apps::ZAPPProcedure p(app, script, {false, false},
                        [&](net::ZDownloadTask* task) { threaded.AddTask(task); });
  std::atomic<bool> finished{false};
  p.SetButtonsListener([&](const apps::AppButtons& b) {
    if (b.uninstall) {
      stepThread = std::this_thread::get_id();
      finished = true;
    }
  });
  p.Install();
  for (int i = 0; i < 500 && !finished; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(finished);
  EXPECT_NE(stepThread, std::this_thread::get_id());
  const auto texts = InstallTexts();
  EXPECT_EQ(texts.back(), core::Text(core::TextId::kInstall));
  EXPECT_EQ(texts[texts.size() - 2], core::Text(core::TextId::kInstalling));
  EXPECT_EQ(texts[texts.size() - 3], core::Text(core::TextId::kChecking));
  threaded.Stop();
}

TEST_F(AppProcedureTest, TheDescriptionComesFromWebAddressesOnly) {
  server.Put("desc.txt", "Scope reads live data.\n");
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app);
  EXPECT_EQ(p->FetchDescription(), "Scope reads live data.\n");
  app.DESCURL = "file://" + dir / "APPS.xml";
  EXPECT_EQ(p->FetchDescription(), "");
  EXPECT_FALSE(p->Detail());
  app.DESCURL = server.Url("/none.txt");
  EXPECT_EQ(p->FetchDescription(), "");
}

TEST(AppPresentation, ButtonsStateWordsAndBadges) {
  TempFolder dir;
  const std::string target = dir.Put("run.sh", "");
  const struct {
    bool installed;
    const char* version;
    std::string target;
    apps::AppButtons buttons;
    std::string word;
    std::string badge;
  } cases[] = {
      {false, "1.0", target, kInstallOnly, core::Text(core::TextId::kInstall),
       "app_uninstalled.png"},
      {true, "1.0", target, kInstalledCurrent, core::Text(core::TextId::kRun), "app_installed.png"},
      {true,
       "1.0",
       dir / "missing",
       {false, false, true, false},
       core::Text(core::TextId::kRun),
       "app_installed.png"},
      {true,
       "0.9",
       target,
       {false, true, true, true},
       core::Text(core::TextId::kUpdate),
       "app_update.png"},
      {true,
       "0.9",
       "",
       {false, true, true, false},
       core::Text(core::TextId::kUpdate),
       "app_update.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.version) + " " + c.target);
    apps::ZKRYApp app;
    app.VERSION = "1.0";
    app.SIZE = 2048;
    app.appInfo.Installed = c.installed;
    app.appInfo.Version = c.version;
    app.appInfo.Target = c.target;
    EXPECT_EQ(apps::ButtonsFor(app), c.buttons);
    EXPECT_EQ(apps::StateWord(app), c.word);
    EXPECT_EQ(apps::StatusLabel(app), core::Text(core::TextId::kPlease) + c.word);
    EXPECT_EQ(apps::BadgeFile(app), c.badge);
    EXPECT_EQ(apps::SizeLabel(app), "Size: 2048  Byte");
    EXPECT_EQ(apps::VersionLabel(app), "Version: 1.0");
  }
}

TEST(AppPresentation, PercentagesAndPictureNames) {
  EXPECT_EQ(apps::PercentText(0, 200), "0%");
  EXPECT_EQ(apps::PercentText(199, 200), "99%");
  EXPECT_EQ(apps::PercentText(200, 200), "100%");
  EXPECT_EQ(apps::PercentText(500, 200), "250%");
  EXPECT_EQ(apps::PercentText(4000000000u, 1), "399999991808%") << "single precision, no overflow";
  EXPECT_EQ(apps::PercentText(10, 0), "0%");

  const struct {
    const char* name;
    const char* path;  // nullptr: no picture
  } names[] = {
      {"app101.png", "logos/app101.png"},
      {"sub\\a.png", "logos/sub/a.png"},
      {"a..b.png", "logos/a..b.png"},
      {"", nullptr},
      {"../KavoraG.xml", nullptr},
      {"x/../../y.png", nullptr},
      {"..", nullptr},
      {"/etc/passwd", nullptr},
      {R"(\\host\x.png)", nullptr},
      {"C:\\x.png", nullptr},
      {"a.png' dest='0,0,1,1", nullptr},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.name);
    const auto path = apps::SkinPicture("logos", n.name);
    EXPECT_EQ(path.has_value(), n.path != nullptr);
    if (n.path && path) {
      EXPECT_EQ(*path, n.path);
    }
  }
}

}  // namespace
