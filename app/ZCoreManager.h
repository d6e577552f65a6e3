#pragma once
// The application core: owns the catalogues, the device manager, the language table, the
// communication settings, the online flag and the download service for the life of the
// process. Init runs the start-up sequence.
#include <memory>
#include <string>

#include "apps/SelfUpdate.h"
#include "apps/ZKRYAPPManager.h"
#include "apps/ZSPSManager.h"
#include "core/Interaction.h"
#include "core/ZCommSettings.h"
#include "core/ZGUILanguage.h"
#include "device/ZKRYDeviceManager.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "net/ZDownloadFileService.h"

namespace app {

class ZCoreManager {
 public:
  static ZCoreManager& Instance();
  ZCoreManager() = default;
  virtual ~ZCoreManager() = default;

  // Runs every start-up step in order; false on a fatal failure, after its message.
  // Messages go through `ui`, which must outlive the core.
  bool Init(core::Interaction& ui);

  bool online() const { return online_; }
  // Offline for this run: configured, or switched on because the server did not answer.
  bool offline() const { return offline_; }

  device::ZKRYDeviceManager* deviceManager() { return deviceManager_.get(); }
  core::ZGUILanguage* language() { return language_.get(); }
  core::ZCommSettings* commSettings() { return commSettings_.get(); }
  apps::ZKRYAPPManager* appManager() { return appManager_.get(); }
  apps::ZSPSManager* spsManager() { return spsManager_.get(); }
  firmware::ZKRYFirmwareManager* firmwareManager() { return firmwareManager_.get(); }
  // Absent when configured offline.
  net::ZDownloadFileService* downloadService() { return downloadService_.get(); }

  // What starting the updater does; the default ends the program (tests record instead).
  void SetHandover(apps::Handover handover) { handover_ = std::move(handover); }
  const apps::Handover& handover() const { return handover_; }

 private:
  void ShowError(core::Interaction& ui, const std::string& text);
  void CheckVersion(core::Interaction& ui);
  bool LoadAppCatalogue(core::Interaction& ui);
  void LoadFirmwareCatalogue(core::Interaction& ui);
  bool LoadSpsCatalogue(core::Interaction& ui);

  std::unique_ptr<apps::ZKRYAPPManager> appManager_;
  std::unique_ptr<device::ZKRYDeviceManager> deviceManager_;
  std::unique_ptr<apps::ZSPSManager> spsManager_;
  std::unique_ptr<firmware::ZKRYFirmwareManager> firmwareManager_;
  std::unique_ptr<core::ZGUILanguage> language_;
  std::unique_ptr<core::ZCommSettings> commSettings_;
  bool online_ = false;
  bool offline_ = false;
  std::unique_ptr<net::ZDownloadFileService> downloadService_;
  apps::Handover handover_ = apps::StartUpdaterAndExit;
};

}  // namespace app
