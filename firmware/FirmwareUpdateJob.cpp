#include "firmware/FirmwareUpdateJob.h"

#include <algorithm>

#include "core/ForwardingInteraction.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "device/BatteryVoltage.h"
#include "device/ZKRYDevice.h"
#include "firmware/DoIPUpdateInfo.h"
#include "firmware/ZKRYDoIPDevice.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "history/UpdateHistory.h"
#include "net/CurlTransfer.h"
#include "platform/Clock.h"
#include "platform/Processes.h"
#include "platform/Text.h"

namespace firmware {
namespace {

constexpr char kVciFailed[] = "Updating VCI firmware ... Failed";
constexpr char kModuleCheckFailed[] = "Checking DoIP system status ... Failed";
constexpr char kModuleFailed[] = "Updating system firmware ... Failed";

FirmwareResult Completed() {
  return FirmwareResult::Completed(core::Text(core::TextId::kUpdateCompleted));
}

constexpr int kVciBarMaximum = 120;
constexpr int kDoIPBarMaximum = 412;

}  // namespace

// Status texts of the procedures land on the job's status line; questions and message boxes
// go to the user.
class FirmwareUpdateJob::StatusTap : public core::ForwardingInteraction {
 public:
  explicit StatusTap(FirmwareUpdateJob& job)
      : ForwardingInteraction(static_cast<core::Interaction&>(job.recording_)), job_(job) {}
  void SetStatus(const std::string& text) override { job_.SetStatus(text); }
  void SetProgress(int value, int maximum) override { job_.SetBar(value, maximum); }

 private:
  FirmwareUpdateJob& job_;
};

FirmwareUpdateJob::FirmwareUpdateJob(FirmwareJobSetup setup)
    : setup_(std::move(setup)), recording_(setup_.ui), tap_(std::make_unique<StatusTap>(*this)) {
  if (!setup_.makeUpdater)
    setup_.makeUpdater = [](core::Interaction& ui, DoIPDevice* device) {
      return std::make_unique<ZWSFirmwareUpdate>(ui, device);
    };
}

FirmwareUpdateJob::~FirmwareUpdateJob() {
  quit_ = true;
  startEvent_.Set();
  if (worker_.joinable()) worker_.join();
  StopProgressThread();
}

void FirmwareUpdateJob::SetObserver(std::function<void()> observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  observer_ = std::move(observer);
}

FirmwareJobState FirmwareUpdateJob::state() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_;
}

void FirmwareUpdateJob::Changed() {
  std::function<void()> observer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    observer = observer_;
  }
  if (observer) observer();
}

void FirmwareUpdateJob::SetStatus(const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.status = text;
  }
  recording_.SetStatus(text);
  Changed();
}

void FirmwareUpdateJob::SetBar(int value, int maximum) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (maximum >= 0) state_.progressMaximum = maximum;
    if (state_.progress == value && maximum < 0) return;
    state_.progress = value;
    maximum = state_.progressMaximum;
  }
  recording_.SetProgress(value, maximum);
  Changed();
}

std::string FirmwareUpdateJob::Prefixed(const std::string& version) const {
  const std::string& oem = setup_.config.OEMString;
  return platform::Utf16Length(oem) >= 2 ? oem + version : version;
}

void FirmwareUpdateJob::Start() {
  quit_ = false;
  progressStop_ = false;
  progress_.Set(1);
  if (!worker_.joinable()) worker_ = std::thread(&FirmwareUpdateJob::WorkerLoop, this);
  RefreshFirmwareInfo();
}

void FirmwareUpdateJob::RefreshFirmwareInfo() {
  device::ZKRYDevice& device = setup_.device;
  const auto hideBoth = [this] {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.vci.visible = false;
    state_.system.visible = false;
  };
  if (device.Open() != 0) {
    hideBoth();
    Changed();
    return;
  }
  device._ReadHWInfo();
  const FirmwareEntry* vciEntry = setup_.catalogue.FindEntry(device.pid());
  const bool hasModule = device.HasDoIPModule();
  const device::ModuleInfo module = device.module();
  const FirmwareEntry* doipEntry = hasModule ? setup_.catalogue.FindEntry(module.pid) : nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    vciEntry_ = vciEntry;
    doipEntry_ = doipEntry;
  }
  if (!vciEntry_ && !doipEntry_) {
    hideBoth();
    SetStatus("None firmware found, please contact OrbDiag.");
    device.Close();  // not left open for the next procedure
    return;
  }
  FirmwareRow vci, system;
  if (vciEntry_) {
    vci.visible = true;
    vci.name = vciEntry_->NAME;
    vci.currentVersion = Prefixed(device.firmwareVersion());
    vci.newVersion = Prefixed(vciEntry_->VERSION);
    vci.ticked = device.firmwareVersion() != vciEntry_->VERSION;
  }
  if (doipEntry_) {
    const std::string current = platform::CutAtFirstBlank(module.version);
    moduleVersion_ = current;
    system.visible = true;
    system.name = doipEntry_->NAME;
    system.currentVersion = Prefixed(current);
    system.newVersion = Prefixed(doipEntry_->VERSION);
    system.ticked = current != doipEntry_->VERSION;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.vci = vci;
    state_.system = system;
  }
  if (device.connected()) device.Close();
  Changed();
}

void FirmwareUpdateJob::SetTicks(bool vci, bool system) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_.busy) return;
    state_.vci.ticked = vci && state_.vci.visible;
    state_.system.ticked = system && state_.system.visible;
  }
  Changed();
}

bool FirmwareUpdateJob::RequestUpdate() {
  if (!worker_.joinable()) return false;  // the window closed
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_.busy) return false;
    if (!vciEntry_ && !doipEntry_) {
      LOG_WARN("invliad firmware file.");
      return false;
    }
    if (!state_.vci.ticked && !state_.system.ticked) {
      LOG_WARN("VCI&DoIP firmware not need update.");
      return false;
    }
    // Busy from the request on, so the window cannot be closed before the worker wakes.
    state_.busy = true;
  }
  idle_.Reset();
  SetBar(0);
  quit_ = false;
  startEvent_.Set();
  return true;
}

bool FirmwareUpdateJob::RequestClose() {
  if (state().busy) return false;
  quit_ = true;
  startEvent_.Set();
  platform::SleepMs(5);
  if (worker_.joinable()) worker_.join();
  return true;
}

bool FirmwareUpdateJob::OpenLog(const FirmwareEntry* entry) const {
  if (setup_.config.OEMFlag || !entry) return false;
  const std::string& url = entry->UPDATELOGURL;
  // Only web addresses from the catalogue are handed to the browser.
  if (!net::IsWebAddress(url)) return false;
  return platform::ShellOpen(url);
}

bool FirmwareUpdateJob::OpenVciLog() const {
  std::unique_lock<std::mutex> lock(mutex_);
  const FirmwareEntry* entry = vciEntry_;
  lock.unlock();
  return OpenLog(entry);
}

bool FirmwareUpdateJob::OpenSystemLog() const {
  std::unique_lock<std::mutex> lock(mutex_);
  const FirmwareEntry* entry = doipEntry_;
  lock.unlock();
  return OpenLog(entry);
}

void FirmwareUpdateJob::WaitIdle() { idle_.Wait(); }

void FirmwareUpdateJob::WorkerLoop() {
  for (;;) {
    startEvent_.Wait();
    if (quit_) break;
    idle_.Reset();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      state_.busy = true;
      state_.updateEnabled = false;
    }
    Changed();
    FirmwareResult result = UpdateVCIFirmware();
    if (result.ok()) result = UpdateDoIPFirmware();
    if (result.ok()) {
      SetStatus(core::Text(core::TextId::kUpdateCompleted));
      RefreshFirmwareInfo();  // still busy: the window stays open until the rows are read
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      state_.busy = false;
      state_.updateEnabled = true;
      ++state_.runs;
      state_.lastRun = result;
    }
    idle_.Set();
    Changed();
  }
  idle_.Set();
}

void FirmwareUpdateJob::StartProgressThread(ProgressMode mode) {
  StopProgressThread();
  progressStop_ = false;
  progressThread_ = std::thread([this, mode] {
    while (!progressStop_) {
      if (mode == ProgressMode::FollowSdk) {
        SetBar(progress_.Read());
        platform::SleepMs(20);
      } else {
        // The steady bar paces the usual length of a module update. A slower module (long
        // mount checks, a late return) holds it one step short of full: only the end of a
        // good run fills it.
        SetBar(std::min(progress_.Advance(), kDoIPBarMaximum - 1));
        platform::SleepMs(500);
      }
    }
  });
}

void FirmwareUpdateJob::StopProgressThread() {
  progressStop_ = true;
  if (progressThread_.joinable()) progressThread_.join();
}

bool FirmwareUpdateJob::AskLowVoltage() {
  return device::GoOnDespiteLowVoltage(setup_.device, recording_);
}

FirmwareResult FirmwareUpdateJob::UpdateVCIFirmware() {
  if (!state().vci.ticked) return Completed();
  recording_.Begin();
  const std::string before = setup_.device.firmwareVersion();
  FirmwareResult result = WriteVciFirmware();
  Record(history::kVciFirmware, setup_.vciPid, vciEntry_, before, result);
  return result;
}

FirmwareResult FirmwareUpdateJob::UpdateDoIPFirmware() {
  if (!state().system.ticked) return Completed();
  recording_.Begin();
  const std::string before = moduleVersion_;
  FirmwareResult result = UpdateModuleSystem();
  Record(history::kDoIPSystem, setup_.doipPid, doipEntry_, before, result);
  return result;
}

FirmwareResult FirmwareUpdateJob::Failed(FirmwareStage stage, const char* fallback) const {
  std::string reason = recording_.reason();
  return FirmwareResult::Failed(stage, reason.empty() ? fallback : std::move(reason));
}

void FirmwareUpdateJob::Record(const char* what, std::uint32_t pid, const FirmwareEntry* entry,
                               const std::string& versionBefore, const FirmwareResult& result) {
  history::HistoryRecord run;
  run.serial = setup_.device.serialNumber();
  if (pid) run.pid = pid;
  run.what = what;
  if (entry) run.subject = entry->NAME;
  run.versionBefore = versionBefore;
  run.versionAfter = result.ok() && entry ? entry->VERSION : versionBefore;
  run.ok = result.ok();
  run.reason = result.reason;
  history::ProgramHistory().Add(run);
}

FirmwareResult FirmwareUpdateJob::WriteVciFirmware() {
  device::ZKRYDevice& device = setup_.device;
  progressStop_ = false;
  progress_.Set(1);
  SetBar(0, kVciBarMaximum);
  if (device.Open() != 0) {
    LOG_ERROR("device not connect.");
    return Failed(FirmwareStage::OpenAdapter, kVciFailed);
  }
  if (!AskLowVoltage()) {
    LOG_INFO("update vci cancel.");
    device.Close();
    return Failed(FirmwareStage::LowVoltage, kVciFailed);
  }
  device._ReadHWInfo();
  if (!vciEntry_ || !FetchFirmwareImage(setup_.catalogue, setup_.fetch, *tap_, setup_.vciPid, "KRY",
                                        vciEntry_->MD5, core::Text(core::TextId::kDownloading))) {
    device.Close();
    return Failed(FirmwareStage::DownloadVciImage, kVciFailed);
  }
  StartProgressThread(ProgressMode::FollowSdk);
  SetStatus(core::Text(core::TextId::kUpdating));
  std::int32_t result = -1;
  if (device.connected() && device.sdk().KRY_DEV_UpdateFirmware) {
    const std::string image = KeptImagePath(setup_.fetch.downloadFolder, "KRY");
    result =
        device.sdk().KRY_DEV_UpdateFirmware(device.handle(), image.c_str(), 0, progress_.ForSdk());
  }
  if (result == 0) {
    device.Close();
    StopProgressThread();
    platform::SleepMs(1000);
    SetBar(kVciBarMaximum);
    return Completed();
  }
  SetStatus(kVciFailed);
  StopProgressThread();
  device.Close();
  return Failed(FirmwareStage::WriteVci, kVciFailed);
}

FirmwareResult FirmwareUpdateJob::UpdateModuleSystem() {
  device::ZKRYDevice& device = setup_.device;
  if (device.Open() != 0) {
    LOG_WARN("failed on connect device.");
    return Failed(FirmwareStage::OpenAdapter, kModuleFailed);
  }
  if (!AskLowVoltage()) {
    LOG_INFO("update vci cancel.");
    device.Close();
    return Failed(FirmwareStage::LowVoltage, kModuleFailed);
  }
  const std::string address = device.address();
  device.Close();

  progressStop_ = false;
  progress_.Set(1);
  SetBar(0, kDoIPBarMaximum);

  ZKRYDoIPDevice doipDevice(device);
  std::unique_ptr<ZWSFirmwareUpdate> updater = setup_.makeUpdater(*tap_, &doipDevice);
  if (!doipEntry_) return Failed(FirmwareStage::DownloadModuleImage, kModuleFailed);
  DoIPUpdateInfo info = DoIPUpdateInfo::Make(address, doipEntry_->MD5, "");
  info.port = setup_.modulePort;
  info.version = doipEntry_->VERSION;
  if (!FetchFirmwareImage(setup_.catalogue, setup_.fetch, *tap_, setup_.doipPid, "openwrt",
                          doipEntry_->MD5, core::Text(core::TextId::kDownloadingSystemFirmware)))
    return Failed(FirmwareStage::DownloadModuleImage, kModuleFailed);
  info.imagePath = KeptImagePath(setup_.fetch.downloadFolder, "openwrt");

  StartProgressThread(ProgressMode::Steady);
  SetStatus(core::Text(core::TextId::kCheckingDoipStatus));
  const FirmwareResult checked = updater->UpdateFirmware_Check(info);
  if (!checked) {
    StopProgressThread();
    SetStatus(kModuleCheckFailed);
    return Failed(checked.stage, kModuleFailed);
  }
  platform::SleepMs(1000);
  SetStatus(core::Text(core::TextId::kUpgradingSystemFirmware));
  progress_.Set(1);
  const FirmwareResult updated = updater->UpdateFirmware(info);
  StopProgressThread();
  if (!updated) {
    SetStatus(kModuleFailed);
    return Failed(updated.stage, kModuleFailed);
  }
  platform::SleepMs(1000);
  SetBar(kDoIPBarMaximum);
  return Completed();
}

}  // namespace firmware

namespace firmware {

bool MayOpenFirmwareWindow(core::Interaction& ui, device::ZKRYDevice& device,
                           const core::ZCommSettings& comm, const core::ZConfig& config,
                           bool online) {
  if (comm.current().Type == core::kCommFarlink) {
    LOG_WARN("Firmware cannot be updated in farlink mode.");
    ui.ShowTip("LUWNDTIP", "Upgrade firmware is not allowed in Farlink remote mode!", 0);
    return false;
  }
  if (device.Open() != 0) {
    ui.ShowMessage(core::Text(core::TextId::kNotConnected), "", core::MessageIcon::Error);
    return false;
  }
  device.Close();
  if (!config.OfflineMode && !online)
    ui.ShowMessage("Offline! Download new Firmware failed!", "Warning", core::MessageIcon::Error);
  return true;
}

}  // namespace firmware
