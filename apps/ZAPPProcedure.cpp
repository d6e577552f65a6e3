#include "apps/ZAPPProcedure.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "history/UpdateHistory.h"
#include "net/CurlTransfer.h"
#include "net/DownloadFile.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Text.h"

namespace apps {

class ZAPPProcedure::Forwarder : public net::ZDownloadFileServiceNotify {
 public:
  explicit Forwarder(ZAPPProcedure& procedure) : procedure_(procedure) {}
  void OnNotify(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value) override {
    procedure_.OnDownloadEvent(task, event, value);
  }

 private:
  ZAPPProcedure& procedure_;
};

std::string InstallerParameters(const char* mode, bool oem) {
  return std::string(mode) + (oem ? " s" : "");
}

ZAPPProcedure::ZAPPProcedure(ZKRYApp& app, core::Interaction& ui, Modes modes, Queue queue)
    : app_(app),
      recording_(ui),
      ui_(recording_),
      modes_(std::move(modes)),
      queue_(std::move(queue)),
      forwarder_(std::make_unique<Forwarder>(*this)),
      observer_(forwarder_.get()) {}

ZAPPProcedure::~ZAPPProcedure() { ReleaseInstallFolder(); }

// Two programs running installers of one application at once would leave neither install
// whole: the install folder's own descriptor carries the lock, so it needs no file of its own.
bool ZAPPProcedure::TakeInstallFolder() {
  std::string folder, name;
  OnOwner([&] {
    folder = app_.installFolder;
    name = app_.NAME;
  });
  {
    // Still held from an earlier run that ended without its step (a cancelled download).
    std::lock_guard<std::mutex> lock(mutex_);
    if (installFolderLock_ >= 0) return true;
  }
  platform::CreateFolders(folder);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    // The download or the installer will fail on this folder and say so.
    LOG_WARN("Cannot open the install folder {0} (errno {1}).", folder, errno);
    return true;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    LOG_WARN("{0} is being installed by another program.", name);
    ui_.ShowMessage(core::TextWith(core::TextId::kInstalledByAnotherProgram, name), "",
                    core::MessageIcon::Error);
    Publish(buttons());  // the window enables its buttons again
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  installFolderLock_ = fd;
  return true;
}

void ZAPPProcedure::ReleaseInstallFolder() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (installFolderLock_ < 0) return;
  ::close(installFolderLock_);
  installFolderLock_ = -1;
}

std::string ZAPPProcedure::UpdateInstallerPath() const {
  std::string folder = modes_.downloadFolder;
  if (folder.empty()) folder = core::ZConfig::Instance().downloadDir;
  if (folder.empty()) folder = platform::FolderOf(app_.installFolder);
  return platform::JoinPath(folder, "app-" + std::to_string(app_.ID) + "-install.exe");
}

AppButtons ZAPPProcedure::buttons() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return buttons_;
}

void ZAPPProcedure::Publish(const AppButtons& buttons) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    buttons_ = buttons;
  }
  if (listener_) listener_(buttons);
}

void ZAPPProcedure::OnOwner(const std::function<void()>& step) {
  if (owner_)
    owner_(step);
  else
    step();
}

AppButtons ZAPPProcedure::Refresh() {
  AppButtons b;
  OnOwner([&] { b = ButtonsFor(app_); });
  Publish(b);
  return b;
}

void ZAPPProcedure::SetInstallText(const std::string& text) { ui_.SetLabel("btnInstall", text); }

std::string ZAPPProcedure::FetchDescription() const {
  if (modes_.offline || !net::IsDownloadAddress(app_.DESCURL)) return {};
  const auto scratch = platform::ScratchFile("mcdltf.dfl");
  if (!scratch) return {};
  const std::string path = platform::CutToCapacity(*scratch, 260);
  // The download renames its part file over the name, which replaces a link there too.
  if (!net::_DownloadFile(app_.DESCURL, path,
                          net::DescriptionTransfer(core::ZConfig::Instance().HttpCacert)))
    return {};
  return platform::ReadFileNoFollow(path).value_or(std::string());
}

void ZAPPProcedure::BeginRun(const char* what) {
  std::lock_guard<std::mutex> lock(runMutex_);
  runWhat_ = what;
  OnOwner([&] { runVersionBefore_ = app_.appInfo.Installed ? app_.appInfo.Version : ""; });
  recording_.Begin();
}

void ZAPPProcedure::EndRun(bool ok, core::TextId fallbackReason) {
  history::HistoryRecord record;
  {
    std::lock_guard<std::mutex> lock(runMutex_);
    // An install step nobody opened (a front end running it directly) is an install.
    record.what = runWhat_.empty() ? history::kAppInstall : runWhat_;
    record.versionBefore = runVersionBefore_;
    runWhat_.clear();
    runVersionBefore_.clear();
  }
  record.subject = app_.NAME;
  OnOwner([&] { record.versionAfter = app_.appInfo.Installed ? app_.appInfo.Version : ""; });
  // An update that leaves the version it found has not updated anything.
  if (ok && record.what == history::kAppUpdate && record.versionAfter == record.versionBefore) {
    ok = false;
    fallbackReason = core::TextId::kVersionUnchanged;
  }
  record.ok = ok;
  record.reason = recording_.reason();
  if (record.reason.empty() && !ok) record.reason = core::Text(fallbackReason);
  history::ProgramHistory().Add(record);
}

void ZAPPProcedure::Install() {
  if (!TakeInstallFolder()) return;
  BeginRun(history::kAppInstall);
  updating_ = false;
  if (modes_.offline) {
    InstallStep();
    return;
  }
  StartInstall();
}

void ZAPPProcedure::Update() {
  if (modes_.offline) return;
  if (!TakeInstallFolder()) return;
  BeginRun(history::kAppUpdate);
  AppButtons b = buttons();
  b.install = b.update = b.uninstall = false;
  Publish(b);
  const std::string path = UpdateInstallerPath();
  platform::CreateFolders(platform::FolderOf(path));
  platform::DeleteFile(path);  // a left-over of an earlier update is not this version
  updating_ = true;
  QueueDownload(path);
}

void ZAPPProcedure::StartInstall() {
  AppButtons b = buttons();
  b.install = false;
  Publish(b);
  bool current = false;
  OnOwner([&] { current = app_.appInfo.Installed && app_.CheckInstaller(); });
  if (current) {
    ReleaseInstallFolder();
    std::lock_guard<std::mutex> lock(runMutex_);
    runWhat_.clear();  // nothing to install: nothing ran
    return;
  }
  QueueDownload(app_.installerPath);
}

void ZAPPProcedure::QueueDownload(const std::string& path) {
  busy_ = true;
  SetInstallText(core::Text(core::TextId::kDownloading));
  net::ZDownloadTask* task = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::make_unique<net::ZDownloadTask>());
    task = tasks_.back().get();
  }
  task->name = app_.NAME;
  task->url = app_.DOWNLOADURL;
  task->path = path;
  task->size = static_cast<std::uint32_t>(app_.SIZE);
  task->withSha256 = !app_.SHA256.empty();
  task->notify = observer_;
  cancel_ = false;
  task->cancel = &cancel_;
  if (!queue_) {
    // No download service (it is not started when configured offline): the finished
    // event still comes, so the check reports the missing file.
    LOG_WARN("No download service for {0}.", app_.NAME);
    OnDownloadEvent(task, net::ZDownloadFileServiceNotify::kFinished, 0);
    return;
  }
  downloading_ = true;
  queue_(task);
}

void ZAPPProcedure::ForgetTask(const net::ZDownloadTask* task) {
  std::lock_guard<std::mutex> lock(mutex_);
  tasks_.erase(std::remove_if(tasks_.begin(), tasks_.end(),
                              [task](const auto& kept) { return kept.get() == task; }),
               tasks_.end());
}

bool ZAPPProcedure::CancelDownload() {
  if (!downloading_) return false;
  cancel_ = true;
  return true;
}

void ZAPPProcedure::DownloadCancelled() {
  LOG_INFO("The download of {0} was cancelled.", app_.NAME);
  // Nothing installed was touched (an update had not begun its removal): the buttons follow
  // the state as it is.
  AppButtons b;
  OnOwner([&] { b = ButtonsFor(app_); });
  SetInstallText(core::Text(core::TextId::kInstall));
  ReleaseInstallFolder();
  busy_ = false;
  Publish(b);
  EndRun(false, core::TextId::kDownloadCancelled);
}

void ZAPPProcedure::OnDownloadEvent(net::ZDownloadTask* task, std::uint32_t event,
                                    std::uint32_t value) {
  switch (event) {
    case net::ZDownloadFileServiceNotify::kStarted:
      SetInstallText(core::Text(core::TextId::kDownloading));
      break;
    case net::ZDownloadFileServiceNotify::kProgress:
      SetInstallText(PercentText(value, app_.SIZE));
      break;
    case net::ZDownloadFileServiceNotify::kFinished: {
      const bool cancelled = task->cancelled;
      if (task->succeeded) arrived_ = task->arrived;
      ForgetTask(task);  // the service closed its file already
      downloading_ = false;
      const bool update = updating_.exchange(false);
      if (cancelled) {
        if (update) platform::DeleteFile(UpdateInstallerPath());  // never kept for later
        DownloadCancelled();
      } else if (update) {
        UpdateStep();
      } else {
        InstallStep();
      }
      break;
    }
    default:
      break;
  }
}

bool ZAPPProcedure::CheckInstallerAt(const std::string& path) {
  // A download just done was hashed as it arrived; an installer already on disk is read.
  const std::optional<net::FileDigests> arrived = std::move(arrived_);
  arrived_.reset();
  bool intact = false;
  OnOwner([&] { intact = arrived ? app_.CheckInstaller(*arrived) : app_.CheckInstaller(path); });
  return intact;
}

bool ZAPPProcedure::InstallStep() {
  busy_ = true;
  SetInstallText(core::Text(core::TextId::kChecking));
  const bool intact = CheckInstallerAt(app_.installerPath);
  if (!intact) {
    platform::DeleteFile(app_.installerPath);
    LOG_WARN("The installer of {0} failed its check.", app_.NAME);
    ui_.ShowTip("FCFWND", core::Text(core::TextId::kFileCheckFailed), 0);
    AppButtons b = buttons();
    b.install = true;
    Publish(b);
    SetInstallText(core::Text(core::TextId::kInstall));
    ReleaseInstallFolder();
    busy_ = false;
    EndRun(false, core::TextId::kFileCheckFailed);
    return false;
  }
  SetInstallText(core::Text(core::TextId::kInstalling));
  std::string workDir;
  OnOwner([&] { workDir = app_.appInfo.WorkDir; });
  const bool started = RunInstaller("i", "Installing ...", workDir);
  AppButtons b;
  bool installed = false;
  OnOwner([&] {
    app_.ReadAppInfo(false);
    b = ButtonsFor(app_);
    installed = app_.appInfo.Installed;
  });
  SetInstallText(core::Text(core::TextId::kInstall));
  Publish(b);
  ReleaseInstallFolder();
  busy_ = false;
  EndRun(installed,
         started ? core::TextId::kInstallerInstalledNothing : core::TextId::kInstallerNotStarted);
  return true;
}

bool ZAPPProcedure::UpdateStep() {
  SetInstallText(core::Text(core::TextId::kChecking));
  const std::string fresh = UpdateInstallerPath();
  const bool intact = CheckInstallerAt(fresh);
  std::string installer;
  OnOwner([&] { installer = app_.installerPath; });
  if (!intact) {
    // Nothing of the installed application has been touched yet.
    platform::DeleteFile(fresh);
    LOG_WARN("The new installer of {0} failed its check; the installed version stays.", app_.NAME);
    ui_.ShowTip("FCFWND", core::Text(core::TextId::kFileCheckFailed), 0);
    AppButtons b;
    OnOwner([&] { b = ButtonsFor(app_); });
    SetInstallText(core::Text(core::TextId::kInstall));
    Publish(b);
    ReleaseInstallFolder();
    busy_ = false;
    EndRun(false, core::TextId::kFileCheckFailed);
    return false;
  }
  RemoveInstalled();
  platform::CreateFolders(platform::FolderOf(installer));  // an uninstaller may take its folder
  std::error_code error;
  std::filesystem::rename(fresh, installer, error);
  if (error) {
    // Download and Apps on different file systems: copy, then drop the downloaded one.
    std::filesystem::copy_file(fresh, installer, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (!error) platform::DeleteFile(fresh);
  }
  if (error) LOG_ERROR("Cannot put the new installer in place: {0}", error.message());
  return InstallStep();  // its check reports an installer that is not in place
}

void ZAPPProcedure::Remove() {
  if (!TakeInstallFolder()) return;
  BeginRun(history::kAppRemoval);
  const bool started = RemoveInstalled();
  SetInstallText(core::Text(core::TextId::kInstall));
  AppButtons b;
  b.install = true;  // whatever the installer left behind: its AppInfo.ini is gone
  Publish(b);
  ReleaseInstallFolder();
  bool installed = false;
  OnOwner([&] { installed = app_.appInfo.Installed; });
  EndRun(started && !installed,
         started ? core::TextId::kInstallerRemovedNothing : core::TextId::kInstallerNotStarted);
}

bool ZAPPProcedure::RemoveInstalled() {
  std::string workDir;
  OnOwner([&] {
    workDir = app_.appInfo.WorkDir;
    platform::DeleteFile(app_.appInfoPath());
  });
  const bool started = RunInstaller("u", "Removing ...", workDir);
  OnOwner([&] { app_.ReadAppInfo(false); });
  return started;
}

bool ZAPPProcedure::RunInstaller(const char* mode, const char* caption,
                                 const std::string& workDir) {
  if (modes_.oem) {
    // Nobody sets done: the window runs its full time before the installer starts.
    const std::atomic<bool> done{false};
    ui_.ShowProgressWindow({"", "", caption, "", 5}, done);
  }
  platform::StartRequest request;
  request.program = app_.installerPath;
  request.arguments = platform::SplitParameters(InstallerParameters(mode, modes_.oem));
  request.workingFolder = workDir;
  request.makeExecutable = true;  // a downloaded file has no execute bit
  platform::ProcessHandle installer = platform::StartProgram(request);
  if (!installer.valid()) {
    LOG_WARN("Cannot start the installer {0}.", app_.installerPath);
    return false;
  }
  installer.Wait();
  return true;
}

bool ZAPPProcedure::Run() const {
  const AppInfo& info = app_.appInfo;
  if (info.Target.empty()) return false;
  return platform::ShellOpen(info.Target, info.Param, info.WorkDir);
}

bool ZAPPProcedure::Detail() const {
  if (modes_.oem || !net::IsDownloadAddress(app_.DESCURL)) return false;
  return platform::ShellOpen(app_.DESCURL);
}

}  // namespace apps
