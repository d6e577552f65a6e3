#include "tools/DeviceRepair.h"

#include <atomic>
#include <thread>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "device/AdapterLock.h"
#include "device/BatteryVoltage.h"
#include "firmware/FetchFirmwareImage.h"
#include "firmware/SdkProgressCounter.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "history/UpdateHistory.h"
#include "net/DownloadFile.h"
#include "platform/Clock.h"
#include "platform/Files.h"

namespace tools {
namespace {

constexpr int kProgressPollMs = 20;
// The boot loader starts the new firmware after the write; give it a moment.
constexpr int kRestartMs = 1000;

}  // namespace

std::string DeviceRepair::ImagePath() const {
  return firmware::KeptImagePath(setup_.downloadFolder, "KRY");
}

void DeviceRepair::Status(const std::string& text) const {
  LOG_INFO("{0}", text);
  if (setup_.onStatus) setup_.onStatus(text);
}

bool DeviceRepair::Find(std::string* error) {
  adapter_ = ReadAdapter(setup_.device);
  *error = AdapterProblem(adapter_);
  if (!error->empty()) return false;
  if (!adapter_.bootLoader) {
    *error = "The adapter " + adapter_.serial + " runs its firmware (" + adapter_.firmwareVersion +
             ") and needs no repair; newer firmware comes with the firmware update of the "
             "device page.";
    return false;
  }
  return true;
}

// A kept image may come from another adapter model: when the kept catalogue knows this
// adapter, the image must be the one it lists.
bool DeviceRepair::CheckImage(std::uint16_t pid, std::string* error) const {
  const std::string image = ImagePath();
  if (!platform::FileExists(image)) {
    *error = "There is no kept VCI image (" + image +
             "). Start the program online once, so it fetches the adapter's firmware.";
    return false;
  }
  firmware::ZKRYFirmwareManager catalogue;
  const std::string list = platform::JoinPath(setup_.downloadFolder, "fws.xml");
  const firmware::FirmwareEntry* entry =
      platform::FileExists(list) && catalogue.Load(list) ? catalogue.FindEntry(pid) : nullptr;
  if (!entry || entry->MD5.empty()) {
    LOG_WARN("No catalogue entry for PID {0}: the boot loader checks the image alone.", pid);
    return true;
  }
  if (!net::CheckFileMD5(image, entry->MD5)) {
    *error = "The kept VCI image does not match firmware " + entry->VERSION +
             " of the catalogue for this adapter; the firmware update fetches it again.";
    return false;
  }
  return true;
}

std::string DeviceRepair::RepairedText() const {
  return "Repaired: " + adapter_.serial + " runs firmware " + adapter_.firmwareVersion + ".";
}

bool DeviceRepair::Repair(std::string* error) {
  began_ = false;
  const bool ok = WriteKeptImage(error);
  if (!began_) return ok;
  history::HistoryRecord run;
  run.serial = adapter_.serial;
  if (adapter_.pid) run.pid = adapter_.pid;
  run.what = history::kVciFirmware;
  run.versionAfter = ok ? adapter_.firmwareVersion : "";  // a boot loader runs no firmware
  run.ok = ok;
  run.reason = ok ? RepairedText() : *error;
  history::ProgramHistory().Add(run);
  return ok;
}

bool DeviceRepair::WriteKeptImage(std::string* error) {
  // Another program's procedure between the look and the write would meet a half-written
  // adapter, so the adapter is held from the look on.
  device::AdapterLock lock;
  if (!setup_.lockFile.empty()) {
    std::string holder;
    lock = device::AdapterLock::Take(setup_.lockFile, "the firmware repair", 0, &holder);
    if (!lock) {
      *error = device::AdapterBusyText(holder);
      return false;
    }
  }
  if (!Find(error)) return false;
  began_ = true;
  if (!CheckImage(adapter_.pid, error)) return false;
  device::ZKRYDevice& device = setup_.device;
  if (device.Open() != KRY_OK) {
    *error = core::Text(core::TextId::kNotConnected);
    return false;
  }
  if (!device::GoOnDespiteLowVoltage(device, setup_.ui)) {
    device.Close();
    *error = "Cancelled.";
    return false;
  }
  Status("Writing the VCI firmware ...");
  firmware::SdkProgressCounter counter;
  counter.Set(0);
  std::atomic<bool> writing{true};
  std::thread mirror([&] {
    int shown = -1;
    while (writing) {
      const int now = counter.Read();
      if (now != shown && setup_.onProgress) setup_.onProgress(now, KRY_FIRMWARE_PROGRESS_FULL);
      shown = now;
      platform::SleepMs(kProgressPollMs);
    }
  });
  const std::string image = ImagePath();
  const std::int32_t result =
      device.sdk().KRY_DEV_UpdateFirmware
          ? device.sdk().KRY_DEV_UpdateFirmware(device.handle(), image.c_str(), 0, counter.ForSdk())
          : KRY_ERR_NOT_SUPPORTED;
  writing = false;
  mirror.join();
  device.Close();
  if (result != KRY_OK) {
    LOG_ERROR("Firmware write failed: {0}", result);
    *error = "Writing the VCI firmware failed (" + std::to_string(result) +
             "); the adapter stays in boot mode and may be repaired again.";
    return false;
  }
  if (setup_.onProgress) setup_.onProgress(KRY_FIRMWARE_PROGRESS_FULL, KRY_FIRMWARE_PROGRESS_FULL);
  Status("Starting the new firmware ...");
  platform::SleepMs(kRestartMs);
  adapter_ = ReadAdapter(device);
  if (!AdapterProblem(adapter_).empty() || adapter_.bootLoader) {
    *error =
        "The firmware was written, but the adapter does not run it yet; unplug it, plug "
        "it in again and look again.";
    return false;
  }
  Status(RepairedText());
  return true;
}

}  // namespace tools
