#pragma once
// What the application window does for one application: install (download with
// percentages, check, installer run and wait), update (removal, then install), removal,
// start and the web page. The window and the command line share it. It reaches the user
// only through core::Interaction: the Install button's text as the label "btnInstall",
// the file-check message as the tip "FCFWND", OEM mode's timed progress window; the four
// button states go to a listener.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "apps/AppPresentation.h"
#include "apps/ZKRYApp.h"
#include "core/Interaction.h"
#include "core/TextIds.h"
#include "history/RecordingInteraction.h"
#include "net/ZDownloadFileServiceNotify.h"
#include "net/ZDownloadTask.h"

namespace apps {

class ZAPPProcedure {
 public:
  struct Modes {
    bool offline = false;  // as configured (OfflineMode)
    bool oem = false;      // OEMFlag: silent installers behind the timed progress window
    // Where an update's new installer waits for its check; empty: the configured Download
    // folder.
    std::string downloadFolder;
  };
  // Hands a download task to the service (which reports to task->notify). The procedure
  // keeps the task: it lives until the finished event has been handled.
  using Queue = std::function<void(net::ZDownloadTask* task)>;
  using ButtonsListener = std::function<void(const AppButtons& buttons)>;
  // Runs a step that reads or changes the catalogue on the thread that owns it.
  using OwnerThread = std::function<void(const std::function<void()>& step)>;

  ZAPPProcedure(ZKRYApp& app, core::Interaction& ui, Modes modes, Queue queue = {});
  ~ZAPPProcedure();
  ZAPPProcedure(const ZAPPProcedure&) = delete;
  ZAPPProcedure& operator=(const ZAPPProcedure&) = delete;

  void SetButtonsListener(ButtonsListener listener) { listener_ = std::move(listener); }
  void SetOwnerThread(OwnerThread run) { owner_ = std::move(run); }
  // The observer put into download tasks; by default one that calls OnDownloadEvent.
  void SetObserver(net::ZDownloadFileServiceNotify* observer) { observer_ = observer; }

  // The buttons for the state as it was last read; also sent to the listener.
  AppButtons Refresh();
  AppButtons buttons() const;
  // The description text fetched from DESCURL to %temp%/mcdltf.dfl; empty offline, for
  // an address that is not http or https, or on any failure.
  std::string FetchDescription() const;

  // The buttons. Install: offline, the install step with the installer on disk; online,
  // a download first. Update (nothing offline): the new installer is downloaded beside the
  // installed application and checked first; only then the old installer removes it and
  // the new one installs. A failed download or check leaves the application as it was.
  // Each holds the install folder against other programs installing the same application.
  void Install();
  void Update();
  void Remove();
  bool Run() const;     // starts AppInfo Target with Param in WorkDir; no waiting
  bool Detail() const;  // DESCURL in the browser; nothing in OEM mode

  // The download observer's events (the service's thread): 0 started, 1 progress with the
  // bytes so far, 2 finished: the procedure's task is freed and the install step follows.
  void OnDownloadEvent(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value);
  // Check, installer run with "i" and state re-read; false when the check failed.
  bool InstallStep();
  // Where an update downloads the new installer: Download/app-<ID>-install.exe.
  std::string UpdateInstallerPath() const;
  // Stops the installer download under way: its finished event then skips the install step,
  // nothing is kept and Install is offered again (an update leaves the installed application
  // as it was). False when no download runs (an installer that runs already is never stopped).
  bool CancelDownload();

  // From the start of an install until its installer has ended or its check failed.
  bool busy() const { return busy_.load(); }
  const ZKRYApp& app() const { return app_; }

 private:
  class Forwarder;

  void StartInstall();
  // One install, update or removal for the update history: opened by the button's action,
  // closed where it ends.
  void BeginRun(const char* what);
  void EndRun(bool ok, core::TextId fallbackReason);
  void QueueDownload(const std::string& path);
  void ForgetTask(const net::ZDownloadTask* task);
  bool UpdateStep();
  // AppInfo.ini deleted, the installed installer run with "u", the state re-read; false when
  // the installer could not be started.
  bool RemoveInstalled();
  bool TakeInstallFolder();
  void ReleaseInstallFolder();
  bool CheckInstallerAt(const std::string& path);
  void DownloadCancelled();
  // False when the installer could not be started.
  bool RunInstaller(const char* mode, const char* caption, const std::string& workDir);
  void SetInstallText(const std::string& text);
  void Publish(const AppButtons& buttons);
  void OnOwner(const std::function<void()>& step);

  ZKRYApp& app_;
  // Everything shown goes through here, so the history learns the last message.
  history::RecordingInteraction recording_;
  core::Interaction& ui_;
  Modes modes_;
  Queue queue_;
  ButtonsListener listener_;
  OwnerThread owner_;
  std::unique_ptr<Forwarder> forwarder_;
  net::ZDownloadFileServiceNotify* observer_ = nullptr;
  mutable std::mutex mutex_;
  AppButtons buttons_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> updating_{false};  // the download under way is an update's
  int installFolderLock_ = -1;         // under mutex_
  std::atomic<bool> downloading_{false};
  std::atomic<bool> cancel_{false};
  std::optional<net::FileDigests> arrived_;  // of the installer just downloaded
  // The downloads handed to the service, each until its finished event (under mutex_).
  std::vector<std::unique_ptr<net::ZDownloadTask>> tasks_;
  std::mutex runMutex_;
  std::string runWhat_;  // empty: no run open
  std::string runVersionBefore_;
};

// The installer's parameter text: "i" or "u", with " s" in OEM mode.
std::string InstallerParameters(const char* mode, bool oem);

}  // namespace apps
