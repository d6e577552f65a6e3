// The application window's procedures against the loopback file server, with real
// installer scripts that record how they were run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <thread>
#include <tuple>

#include "apps/AppPresentation.h"
#include "apps/ZAPPProcedure.h"
#include "apps/ZKRYAPPManager.h"
#include "codec/MD5.h"
#include "core/ProgramTexts.h"
#include "net/ZDownloadFileService.h"
#include "platform/Files.h"
#include "tests/support/Md5sum.h"
#include "tests/support/RecordingInstaller.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ScriptedInteraction;
using testing_support::TempFolder;
using Strings = std::vector<std::string>;

const std::string kInstaller = testing_support::RecordingInstaller();
// Version 3.0's installer also notes that it was the one run.
const std::string kNewInstaller =
    testing_support::RecordingInstaller("3.0") + "echo \"new $*\" >>\"$here/runs.log\"\n";
const apps::AppButtons kInstallOnly{true, false, false, false};
const apps::AppButtons kInstalledCurrent{false, false, true, true};
const apps::AppButtons kUpdatable{false, true, true, true};

// Cancels the download at its first progress, as closing the window does.
struct CancelOnProgress : net::ZDownloadFileServiceNotify {
  apps::ZAPPProcedure* procedure = nullptr;
  void OnNotify(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value) override {
    if (event == kProgress) procedure->CancelDownload();
    procedure->OnDownloadEvent(task, event, value);
  }
};

// Every file of a folder with its bytes.
std::map<std::string, std::string> FolderContents(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[entry.path().string()] = platform::ReadFile(entry.path().string()).value_or("");
  return files;
}

class AppProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.started());
    server.Put("apps/7/install.exe", kInstaller);
    server.Put("apps/7/new.exe", kNewInstaller);
    platform::CreateFolder(dir / "Apps");
  }
  // A catalogue of one application whose SIZE and MD5 (in lower case) are the served
  // installer's, unless `size` says otherwise.
  apps::ZKRYApp& Load(int size = -1) {
    const std::string xml =
        "<APPS><APP><ITEM><ID>7</ID><CLSID>1</CLSID><NAME>Scope</NAME><VERSION>2.0</VERSION>"
        "<SIZE>" +
        std::to_string(size < 0 ? int(kInstaller.size()) : size) + "</SIZE><MD5>" +
        testing_support::LowerHex(codec::MD5Text(kInstaller)) + "</MD5><DOWNLOADURL>" +
        server.Url("/apps/7/install.exe") + "</DOWNLOADURL><DESCURL>" + server.Url("/desc.txt") +
        "</DESCURL></ITEM></APP></APPS>";
    EXPECT_TRUE(catalogue.LoadFromFile(dir.Put("APPS.xml", xml)));
    return *catalogue.objects().at(0);
  }
  std::unique_ptr<apps::ZAPPProcedure> Procedure(apps::ZKRYApp& app, bool offline = false) {
    auto p = std::make_unique<apps::ZAPPProcedure>(
        app, script, apps::ZAPPProcedure::Modes{offline, false, dir / "Download"},
        [this](net::ZDownloadTask* task) { queue(task); });
    p->SetButtonsListener([this](const apps::AppButtons& b) {
      published.push_back(b);
      publishedOn = std::this_thread::get_id();
    });
    return p;
  }
  // Points the application at a new version served as `url`.
  static void Offer(apps::ZKRYApp& app, const std::string& url, const std::string& md5, int size) {
    app.VERSION = "3.0";
    app.DOWNLOADURL = url;
    app.MD5 = md5;
    app.SIZE = size;
  }
  std::string Runs() { return platform::ReadFile(dir / "Apps/7/runs.log").value_or(""); }
  Strings InstallTexts() {
    Strings out;
    for (const auto& s : script.shown())
      if (s.kind == "label" && s.windowName == "btnInstall") out.push_back(s.text);
    return out;
  }

  TempFolder dir;
  testing_support::ServedFolder server{"127.0.0.61"};
  apps::ZKRYAPPManager catalogue{dir / "Apps"};
  ScriptedInteraction script;
  net::ZDownloadFileService service{""};
  std::function<void(net::ZDownloadTask*)> queue = [this](net::ZDownloadTask* t) {
    service.Download(t);
  };
  std::vector<apps::AppButtons> published;
  std::thread::id publishedOn;
};

// The step after the download runs on the service thread, its texts in order.
TEST_F(AppProcedureTest, InstallDownloadsChecksAndRunsTheInstallerOnTheServiceThread) {
  apps::ZKRYApp& app = Load();
  net::ZDownloadFileService threaded{""};
  ASSERT_TRUE(threaded.Start());
  queue = [&threaded](net::ZDownloadTask* task) { threaded.AddTask(task); };
  auto p = Procedure(app);
  EXPECT_EQ(p->Refresh(), kInstallOnly);
  p->Install();
  for (int i = 0; i < 500 && p->busy(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  threaded.Stop();
  EXPECT_EQ(
      std::make_tuple(Runs(), app.state(), published.back(), p->busy(), script.Texts("tip").size()),
      std::make_tuple("i\n", apps::ZKRYApp::State::Current, kInstalledCurrent, false, 0u));
  EXPECT_NE(publishedOn, std::this_thread::get_id());
  const Strings texts = InstallTexts();
  ASSERT_GE(texts.size(), 6u);
  EXPECT_EQ(texts[1], core::Text(core::TextId::kDownloading));  // the started event
  EXPECT_EQ(Strings(texts.end() - 4, texts.end()),
            (Strings{"100%", core::Text(core::TextId::kChecking),
                     core::Text(core::TextId::kInstalling), core::Text(core::TextId::kInstall)}));
  // The description comes from web addresses only.
  server.Put("desc.txt", "Scope reads live data.\n");
  EXPECT_EQ(p->FetchDescription(), "Scope reads live data.\n");
  app.DESCURL = server.Url("/none.txt");  // not the one fetched before
  EXPECT_EQ(p->FetchDescription(), "");
  app.DESCURL = "file://" + dir / "APPS.xml";
  EXPECT_EQ(std::make_pair(p->FetchDescription(), p->Detail()),
            std::make_pair(std::string(), false));
}

// A download longer than the announced SIZE is cut there (the bar never passes 100 %), fails
// its check, is deleted and never run.
TEST_F(AppProcedureTest, AnInstallerLongerThanItsSizeIsCutAndFailsTheCheck) {
  apps::ZKRYApp& app = Load(40);
  auto p = Procedure(app);
  p->Install();
  for (const auto& t : InstallTexts())
    EXPECT_TRUE(t.empty() || t.back() != '%' || std::stoi(t) <= 100) << t;
  EXPECT_EQ(std::make_tuple(script.Texts("tip"), InstallTexts().back(),
                            platform::FileExists(app.installerPath), Runs(), published.back()),
            std::make_tuple(Strings{core::Text(core::TextId::kFileCheckFailed)},
                            core::Text(core::TextId::kInstall), false, "", kInstallOnly));
}

// An installer cut by the server is resumed at the next Install; a kept share that does not
// belong to the file (changed on disk) makes the whole fail its check, and nothing stays.
TEST_F(AppProcedureTest, AResumedInstallerThatFailsItsCheckIsDeleted) {
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app);
  server.server().SetFault("/apps/7/install.exe", {sim::FaultKind::Cut});
  p->Install();
  server.server().ClearFaults();
  const std::string share = app.installerPath + ".resume";
  const std::size_t kept = kInstaller.size() / 2;
  ASSERT_EQ(platform::ReadFile(share).value_or("").size(), kept);
  platform::WriteFile(share, std::string(kept, '#'));
  script.Clear();
  p->Install();
  EXPECT_EQ(server.server().requests().back().range, "bytes=" + std::to_string(kept) + "-");
  EXPECT_EQ(std::make_tuple(Runs(), script.Texts("tip").size(),
                            platform::FileExists(app.installerPath), platform::FileExists(share)),
            std::make_tuple("", 1u, false, false));
}

// The old installer removes, the new one (checked beside it, then moved over it) installs;
// a new installer that does not arrive whole, or a window closed during its download (the
// finished event still comes), leaves version 2.0 exactly as it was and offers it again.
TEST_F(AppProcedureTest, AnUpdateReplacesOnlyWithACheckedNewInstaller) {
  server.Put("apps/7/big.exe", std::string(1 << 20, 'i'));
  server.server().SetFault("/apps/7/big.exe", {sim::FaultKind::Slow, "", 1});
  const int size = static_cast<int>(kNewInstaller.size());
  const struct {
    const char* name;
    std::string url, md5;
    int size;
    bool cancel;
  } failures[] = {
      {"missing on the server", "/apps/7/none.exe", codec::MD5Text(kNewInstaller), size, false},
      {"another MD5", "/apps/7/new.exe", codec::MD5Text("other"), size, false},
      {"another size", "/apps/7/new.exe", codec::MD5Text(kNewInstaller), size + 1, false},
      {"window closed", "/apps/7/big.exe", "", 0, true},
  };
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app);
  p->Install();
  ASSERT_EQ(app.state(), apps::ZKRYApp::State::Current);
  const auto installed = FolderContents(dir / "Apps/7");
  CancelOnProgress observer;
  observer.procedure = p.get();
  for (const auto& c : failures) {
    SCOPED_TRACE(c.name);
    script.Clear();
    Offer(app, server.Url(c.url), c.md5, c.size);
    if (c.cancel) p->SetObserver(&observer);
    p->Update();
    EXPECT_EQ(script.Texts("tip"),
              c.cancel ? Strings{} : Strings{core::Text(core::TextId::kFileCheckFailed)});
    EXPECT_EQ(FolderContents(dir / "Apps/7"), installed);
    // Nothing left in Download, not even a part file.
    EXPECT_EQ(std::make_tuple(app.appInfo.Version, published.back(), InstallTexts().back(),
                              std::filesystem::is_empty(dir / "Download"), p->busy()),
              std::make_tuple("2.0", kUpdatable, core::Text(core::TextId::kInstall), true, false));
    EXPECT_FALSE(p->CancelDownload());
  }
  Offer(app, server.Url("/apps/7/new.exe"), codec::MD5Text(kNewInstaller), size);
  p = Procedure(app);
  p->Update();
  EXPECT_EQ(std::make_tuple(Runs(), platform::ReadFile(app.installerPath).value_or(""), app.state(),
                            platform::FolderOf(p->UpdateInstallerPath())),
            std::make_tuple("i\nu\ni\nnew i\n", kNewInstaller, apps::ZKRYApp::State::Current,
                            dir / "Download"));
}

// Another program holds the install folder: nothing runs and the application stays. Once free,
// a removal without an installer still leaves the application not installed.
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
    EXPECT_EQ(script.Texts("message"), Strings{"Scope is being installed by another program."});
    EXPECT_EQ(FolderContents(dir / "Apps/7"), installed);
  }
  ::close(other);
  p->Update();
  EXPECT_EQ(Runs(), "i\nu\ni\n");
  platform::DeleteFile(app.installerPath);
  script.Clear();
  p->Remove();
  EXPECT_EQ(std::make_tuple(platform::FileExists(app.appInfoPath()), app.state(), published.back(),
                            InstallTexts()),
            std::make_tuple(false, apps::ZKRYApp::State::NotInstalled, kInstallOnly,
                            Strings{core::Text(core::TextId::kInstall)}));
}

// Records each progress window's seconds, or -1 when the installer had run before it came up.
struct OrderCheckingInteraction : ScriptedInteraction {
  void ShowProgressWindow(const core::ProgressWindowSpec& spec,
                          const std::atomic<bool>& done) override {
    windows.push_back(platform::FileExists(log) ? -1 : spec.maximum);
    ScriptedInteraction::ShowProgressWindow(spec, done);
  }
  std::string log;
  std::vector<int> windows;
};

TEST_F(AppProcedureTest, OemModeShowsTheTimedProgressWindowBeforeEachSilentRun) {
  apps::ZKRYApp& app = Load();
  OrderCheckingInteraction oem;
  oem.log = dir / "Apps/7/runs.log";
  apps::ZAPPProcedure p(app, oem, {false, true}, queue);
  p.Install();
  platform::DeleteFile(oem.log);
  p.Remove();
  EXPECT_EQ(std::make_pair(Runs(), oem.windows),
            std::make_pair(std::string("u s\n"), std::vector<int>{5, 5}));
  EXPECT_FALSE(p.Detail());  // no web page in OEM mode
}

// Offline nothing is fetched: Install runs the installer on disk or shows the check
// message, Update does nothing.
TEST_F(AppProcedureTest, OfflineInstallUsesTheInstallerOnDiskOrShowsTheCheckMessage) {
  apps::ZKRYApp& app = Load();
  auto p = Procedure(app, /*offline=*/true);
  p->Install();
  EXPECT_EQ(script.Texts("tip"), Strings{core::Text(core::TextId::kFileCheckFailed)});
  script.Clear();
  dir.Put("Apps/7/install.exe", kInstaller);
  p->Install();
  p->Update();
  using T = core::TextId;
  EXPECT_EQ(std::make_tuple(script.Texts("tip"), app.state(), InstallTexts(), p->FetchDescription(),
                            Runs(), server.server().requests().size()),
            std::make_tuple(Strings{}, apps::ZKRYApp::State::Current,
                            Strings{core::Text(T::kChecking), core::Text(T::kInstalling),
                                    core::Text(T::kInstall)},
                            "", "i\n", 0u));
}

TEST(AppPresentation, PercentagesDoNotOverflowAndPicturesStayInTheSkin) {
  // Single precision, no overflow, nothing of nothing.
  EXPECT_EQ(
      apps::PercentText(199, 200) + apps::PercentText(4000000000u, 1) + apps::PercentText(10, 0),
      "99%399999991808%0%");
  std::string pictures;  // "-": no picture
  for (const char* name : {"app101.png", "sub\\a.png", "a..b.png", "", "../KavoraG.xml",
                           "/etc/passwd", "C:\\x.png", "a.png' dest='0,0,1,1"})
    pictures += apps::SkinPicture("logos", name).value_or("-") + " ";
  EXPECT_EQ(pictures, "logos/app101.png logos/sub/a.png logos/a..b.png - - - - - ");
}

}  // namespace
