#pragma once
// The firmware update job behind the firmware window: fills the VCI and system rows from the
// adapter and the catalogue, and runs the updates on its worker thread (the VCI first, then
// the DoIP module) with a progress thread for the bar. Everything the window shows is state
// here; the window, the command-line front end and the tests only show it and pass clicks.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/Interaction.h"
#include "core/ZCommSettings.h"
#include "core/ZConfig.h"
#include "device/DeviceUseGuard.h"
#include "firmware/FetchFirmwareImage.h"
#include "firmware/FirmwareResult.h"
#include "firmware/SdkProgressCounter.h"
#include "history/RecordingInteraction.h"
#include "platform/Event.h"

namespace device {
class ZKRYDevice;
}

namespace firmware {

class ZKRYFirmwareManager;
class ZWSFirmwareUpdate;
class DoIPDevice;
struct FirmwareEntry;

struct FirmwareRow {
  bool visible = false;
  std::string name;            // labelVCI / labelSystem
  std::string currentVersion;  // labelVCICurVer / labelSysCurVer
  std::string newVersion;      // btnVCINewVer / btnSysNewVer
  bool ticked = false;         // checkVCIUpdate / checkSysUpdate
};

struct FirmwareJobState {
  FirmwareRow vci;
  FirmwareRow system;
  std::string status;  // textTip
  int progress = 0;    // UpdateProgress
  int progressMaximum = 120;
  bool updateEnabled = true;  // btnUpdateFW
  // From the update request until the run, and the rows read again after it, are through.
  bool busy = false;
  int runs = 0;            // update runs finished
  FirmwareResult lastRun;  // how the last finished run ended
};

struct FirmwareJobSetup {
  device::ZKRYDevice& device;
  const ZKRYFirmwareManager& catalogue;
  const core::ZConfig& config;
  FirmwareFetch fetch;
  core::Interaction& ui;     // questions and message boxes
  std::uint32_t vciPid = 0;  // as the last report recorded them
  std::uint32_t doipPid = 0;
  std::string modulePort = "7890";
  // Builds the module side of the DoIP update; tests may hand in their own.
  std::function<std::unique_ptr<ZWSFirmwareUpdate>(core::Interaction&, DoIPDevice*)> makeUpdater;
  // The opener's holding of the adapter, kept as long as the job lives: nothing else uses
  // the adapter while the firmware window is open.
  device::DeviceUse use;
};

class FirmwareUpdateJob {
 public:
  explicit FirmwareUpdateJob(FirmwareJobSetup setup);
  ~FirmwareUpdateJob();  // ends the worker
  FirmwareUpdateJob(const FirmwareUpdateJob&) = delete;
  FirmwareUpdateJob& operator=(const FirmwareUpdateJob&) = delete;

  // Window start-up: the worker starts, then the rows are filled.
  void Start();
  void RefreshFirmwareInfo();

  // The user (un)ticks a row.
  void SetTicks(bool vci, bool system);
  // btnUpdateFW: false when there is nothing to update.
  bool RequestUpdate();
  // btnClose: refused (false) while busy; otherwise the worker ends.
  bool RequestClose();
  // btnUpdateLog / btnVCINewVer and btnSysNewVer: the change log in the default browser.
  bool OpenVciLog() const;
  bool OpenSystemLog() const;

  FirmwareJobState state() const;
  // Called after every change of the state, on the thread that made it.
  void SetObserver(std::function<void()> observer);
  // Blocks until the run in progress (if any) has ended; for the CLI and tests.
  void WaitIdle();

  // The two update procedures, public for the front ends that run them directly; each does
  // nothing (and succeeds) unless its row is ticked. Each run that begins leaves a record in
  // the update history.
  FirmwareResult UpdateVCIFirmware();
  FirmwareResult UpdateDoIPFirmware();

 private:
  // How the progress thread moves the bar: after the SDK's counter while it writes the VCI,
  // or a step every half second while the module works, which reports nothing.
  enum class ProgressMode { FollowSdk, Steady };
  class StatusTap;
  void WorkerLoop();
  void Changed();
  void SetStatus(const std::string& text);
  void SetBar(int value, int maximum = -1);
  bool AskLowVoltage();
  void StartProgressThread(ProgressMode mode);
  void StopProgressThread();
  bool OpenLog(const FirmwareEntry* entry) const;
  std::string Prefixed(const std::string& version) const;
  FirmwareResult WriteVciFirmware();
  FirmwareResult UpdateModuleSystem();
  // A part failed at `stage`: its reason is what the user was shown since it began, else
  // `fallback` (an adapter that would not open says nothing).
  FirmwareResult Failed(FirmwareStage stage, const char* fallback) const;
  void Record(const char* what, std::uint32_t pid, const FirmwareEntry* entry,
              const std::string& versionBefore, const FirmwareResult& result);

  FirmwareJobSetup setup_;
  // Everything the job shows goes through here: a failed part's reason is the last message
  // it showed.
  history::RecordingInteraction recording_;
  std::unique_ptr<StatusTap> tap_;
  mutable std::mutex mutex_;
  FirmwareJobState state_;
  std::function<void()> observer_;
  // As the rows were last filled. Only the worker's refresh after a run changes them while
  // the window is open; the log links read them under the mutex.
  const FirmwareEntry* vciEntry_ = nullptr;
  const FirmwareEntry* doipEntry_ = nullptr;
  std::string moduleVersion_;
  SdkProgressCounter progress_;
  std::atomic<bool> progressStop_{true};
  std::atomic<bool> quit_{false};
  platform::Event startEvent_{false, false};
  platform::Event idle_{true, true};
  std::thread worker_;
  std::thread progressThread_;
};

}  // namespace firmware

namespace firmware {

// The device page's checks before the firmware window opens: refused in Farlink remote
// mode, the adapter probed, and a warning when the server could not be reached (the kept
// image may still serve). True when the window may open.
bool MayOpenFirmwareWindow(core::Interaction& ui, device::ZKRYDevice& device,
                           const core::ZCommSettings& comm, const core::ZConfig& config,
                           bool online);

}  // namespace firmware
