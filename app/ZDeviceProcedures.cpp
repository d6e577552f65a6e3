#include "app/ZDeviceProcedures.h"

#include "app/ToolLaunch.h"
#include "app/ZCoreManager.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "device/AdapterLock.h"
#include "device/HardwareTests.h"
#include "device/UnlockProcedure.h"
#include "device/ZKRYDevice.h"
#include "firmware/DeviceReset.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "history/RecordingInteraction.h"
#include "history/UpdateHistory.h"
#include "platform/ChildReaper.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace app {
namespace {

// What each procedure is called in the busy message ("... is busy with the device reset").
constexpr char kReport[] = "the device report";
constexpr char kProbe[] = "the device check";
constexpr char kTest[] = "the device test";
constexpr char kFirmware[] = "the firmware update";
constexpr char kReset[] = "the device reset";
constexpr char kUnlock[] = "the adapter unlock";

const firmware::ZKRYFirmwareManager& EmptyCatalogue() {
  static const firmware::ZKRYFirmwareManager empty;
  return empty;
}

}  // namespace

ZDeviceProcedures::ZDeviceProcedures(ZCoreManager& core, core::Interaction& ui,
                                     device::DeviceOPThread& operations)
    : core_(core), ui_(ui), operations_(operations) {
  const core::ZConfig& config = core::ZConfig::Instance();
  skinFolder_ =
      platform::JoinPath(platform::ProgramFolder(), config.english() ? "skin/EN" : "skin/CS");
  report_.firmwareButtonText = core::Text(core::TextId::kFirmware);
  if (device::ZKRYDevice* dev = device()) {
    // The core outlives the device object's users; the procedures may not.
    ZCoreManager* owner = &core_;
    dev->useGuard().SetLockFile([owner]() -> std::string {
      const core::ZCommSettings* comm = owner->commSettings();
      return comm ? device::AdapterLockPath(comm->path(), comm->current()) : std::string();
    });
  }
}

ZDeviceProcedures::~ZDeviceProcedures() = default;

device::ZKRYDevice* ZDeviceProcedures::device() const {
  device::ZKRYDeviceManager* manager = core_.deviceManager();
  return manager ? manager->current() : nullptr;
}

void ZDeviceProcedures::BindPage(device::DevicePageView view) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!view.firmwareButtonText.empty()) report_.firmwareButtonText = view.firmwareButtonText;
  view_ = std::move(view);
}

bool ZDeviceProcedures::busy() const {
  device::ZKRYDevice* dev = device();
  return operations_.busy() || (dev && dev->useGuard().busy());
}

device::DeviceReport ZDeviceProcedures::lastReport() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return report_;
}

device::DeviceUse ZDeviceProcedures::TakeDevice(const std::string& procedure, bool quiet) {
  device::ZKRYDevice* dev = device();
  if (!dev) return {};
  // A short read may wait for another program's procedure to end; anything longer would
  // leave the user looking at a frozen page.
  const std::int64_t otherProgramWaitMs = procedure == kReport ? kShortReadWaitMs : 0;
  std::string holder;
  device::DeviceUse use = dev->useGuard().Take(procedure, kBusyWaitMs, otherProgramWaitMs, &holder);
  if (use) return use;
  LOG_WARN("The adapter is busy with {0}; {1} was refused.", holder, procedure);
  if (!quiet) ui_.ShowMessage(device::AdapterBusyText(holder), "", core::MessageIcon::Information);
  return {};
}

void ZDeviceProcedures::ShowReport(const device::DeviceReport& report) {
  std::function<void(const device::DeviceReport&)> show;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    show = view_.showReport;
  }
  if (show) show(report);
}

device::DeviceReport ZDeviceProcedures::RunReport() {
  device::DeviceReport report = lastReport();
  device::ZKRYDevice* dev = device();
  core::ZCommSettings* comm = core_.commSettings();
  if (!dev || !comm) return report;
  const firmware::ZKRYFirmwareManager* catalogue = core_.firmwareManager();
  const device::ReportContext context{core::ZConfig::Instance(), *comm,
                                      [catalogue](std::uint32_t pid, const std::string& version) {
                                        return catalogue &&
                                               catalogue->IsLatestVersion(pid, version);
                                      },
                                      skinFolder_};
  device::UpdateDeviceInfo(*dev, context, report);
  std::lock_guard<std::mutex> lock(mutex_);
  report_ = report;
  return report;
}

device::DeviceReport ZDeviceProcedures::Report() {
  if (!device()) {
    // No device object: the report of an adapter that cannot be opened.
    const core::ZCommSettings* comm = core_.commSettings();
    return device::NoAdapterReport(comm ? comm->current().Name : "", lastReport());
  }
  const device::DeviceUse use = TakeDevice(kReport);
  if (!use) return lastReport();  // the page keeps what it shows
  return RunReport();
}

bool ZDeviceProcedures::RunProbe(device::ZKRYDevice& dev) {
  if (dev.Open() != 0) {
    ui_.ShowMessage(core::Text(core::TextId::kNotConnected), "", core::MessageIcon::Error);
    return false;
  }
  dev.Close();
  return true;
}

bool ZDeviceProcedures::Probe() {
  device::ZKRYDevice* dev = device();
  if (!dev) {
    ui_.ShowMessage(core::Text(core::TextId::kNotConnected), "", core::MessageIcon::Error);
    return false;
  }
  const device::DeviceUse use = TakeDevice(kProbe);
  return use && RunProbe(*dev);
}

void ZDeviceProcedures::LedTest() {
  device::ZKRYDevice* dev = device();
  if (!dev) return;
  if (const device::DeviceUse use = TakeDevice(kTest)) device::RunLedTest(*dev, ui_);
}

void ZDeviceProcedures::BeepTest() {
  device::ZKRYDevice* dev = device();
  if (!dev) return;
  if (const device::DeviceUse use = TakeDevice(kTest)) device::RunBeepTest(*dev, ui_);
}

bool ZDeviceProcedures::OpenFirmwareWindow(device::ZKRYDevice& dev, device::DeviceUse use) {
  if (!firmwareWindow_) {
    LOG_WARN("The firmware window is not available.");
    return false;
  }
  const core::ZConfig& config = core::ZConfig::Instance();
  const device::DeviceReport report = lastReport();
  const firmware::ZKRYFirmwareManager* catalogue = core_.firmwareManager();
  firmware::FirmwareJobSetup setup{
      dev,           catalogue ? *catalogue : EmptyCatalogue(),
      config,        {config.downloadDir, core_.online() && !core_.offline()},
      ui_,           report.vciPid,
      report.doipPid};
  setup.use = std::move(use);
  firmwareWindowShown_ = true;
  firmwareWindow_(std::move(setup));
  firmwareWindowShown_ = false;
  return true;
}

bool ZDeviceProcedures::FirmwareUpdate() {
  if (firmwareWindowShown_) {
    LOG_INFO("The firmware update form is already displayed.");
    return false;
  }
  device::ZKRYDevice* dev = device();
  core::ZCommSettings* comm = core_.commSettings();
  if (!dev || !comm) {
    ui_.ShowMessage(core::Text(core::TextId::kNotConnected), "", core::MessageIcon::Error);
    return false;
  }
  device::DeviceUse use = TakeDevice(kFirmware);
  if (!use) return false;
  if (!firmware::MayOpenFirmwareWindow(ui_, *dev, *comm, core::ZConfig::Instance(), core_.online()))
    return false;
  return OpenFirmwareWindow(*dev, std::move(use));
}

bool ZDeviceProcedures::AutoFirmwareUpdate() {
  // Once per program start, and only when nothing else happens on the page.
  if (autoOpeningDone_.exchange(true)) return false;
  device::ZKRYDevice* dev = device();
  core::ZCommSettings* comm = core_.commSettings();
  if (!dev || !comm || !core_.online() || !lastReport().firmwareUpdate || busy() ||
      firmwareWindowShown_ || comm->current().Type == core::kCommFarlink)
    return false;
  device::DeviceUse use = TakeDevice(kFirmware, true);
  if (!use) return false;
  LOG_INFO("New firmware found; the firmware window opens by itself.");
  return OpenFirmwareWindow(*dev, std::move(use));
}

void ZDeviceProcedures::Reset() {
  device::ZKRYDevice* dev = device();
  if (!dev) return;
  device::DeviceUse use = TakeDevice(kReset);
  if (!use) return;
  std::function<void(const std::string&)> picture;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    picture = view_.showConnectionPicture;
  }
  history::RecordingInteraction recording(ui_);
  firmware::ResetContext context{recording, operations_, picture,
                                 [this] { ShowReport(RunReport()); }};
  context.use = use;
  const firmware::ResetOutcome outcome = firmware::HWReset(dev, context);
  // Cancelled at its question, the reset never began.
  if (!recording.cancelled())
    RecordRun(history::kDeviceReset, *dev, outcome.reset, recording.reason());
}

void ZDeviceProcedures::RecordRun(const char* what, device::ZKRYDevice& dev, bool ok,
                                  const std::string& reason) {
  const device::DeviceReport report = lastReport();
  history::HistoryRecord run;
  run.serial = dev.serialNumber().empty() ? report.serialText : dev.serialNumber();
  if (report.vciPid) run.pid = report.vciPid;
  run.what = what;
  run.ok = ok;
  run.reason = reason;
  history::ProgramHistory().Add(run);
}

device::ConsoleResult ZDeviceProcedures::UnlockAdapter() {
  device::ZKRYDevice* dev = device();
  if (!dev) return device::kConsoleNoReply;
  {
    // A busy adapter is said so at once, before the question.
    const device::DeviceUse free = TakeDevice(kUnlock);
    if (!free) return device::kConsoleNoReply;
  }
  history::RecordingInteraction recording(ui_);
  const auto address = [this, dev]() -> std::string {
    std::string found;
    {
      const device::DeviceUse use = TakeDevice(kUnlock);
      if (!use) return found;
      if (dev->Open() == 0) {
        dev->_ReadHWInfo();
        found = dev->address();
        dev->Close();
      }
    }
    // An adapter held by a stale connection cannot be opened, which is when it needs
    // freeing most: its address is then the one the last report recorded.
    if (found.empty() && core_.commSettings()) {
      const core::CommRecord& record = core_.commSettings()->current();
      if (core::IsNetworkCommType(record.Type)) found = record.IPAddr;
    }
    return found;
  };
  const device::ConsoleResult result = device::UnlockDevice(recording, address);
  if (recording.cancelled()) return result;  // nothing was tried
  const bool ok = result != device::kConsoleNoReply;
  // The closing notice is shown whatever the console did; it is no reason for a failure.
  RecordRun(history::kUnlock, *dev, ok,
            ok ? recording.reason() : core::Text(core::TextId::kConsoleNoAnswer));
  return result;
}

bool ZDeviceProcedures::StartTool(device::DeviceTool tool) {
  const core::ZConfig& config = core::ZConfig::Instance();
  LaunchedTool launched = LaunchTool(ToolProgramName(tool, config), config.root, false);
  if (!launched.process.valid()) {
    ui_.ShowMessage(launched.error, "", core::MessageIcon::Error);
    return false;
  }
  // Nobody waits for the tool; it is reaped in the background when it ends.
  platform::ChildReaper::Instance().Adopt(std::move(launched.process));
  return true;
}

}  // namespace app
