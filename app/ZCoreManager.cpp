#include "app/ZCoreManager.h"

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "device/ZKRYSdk.h"
#include "net/CatalogueSignature.h"
#include "net/DownloadFile.h"
#include "platform/Files.h"
#include "platform/Library.h"

namespace app {
namespace {

// A catalogue is fetched beside the kept one and loaded from there; only one that loads takes
// the kept one's place, so a broken file on the server never spoils the next offline start.
// With CatalogueKey set, its signature must verify before it is even loaded.
bool FetchCatalogue(const std::string& url, const std::string& path, const net::FileCheck& loads) {
  const core::ZConfig& config = core::ZConfig::Instance();
  const net::CatalogueSignature signature(config.CatalogueKey, config.HttpCacert);
  return net::DownloadLoadedFile(url, path, net::CatalogueTransfer(config.HttpCacert),
                                 signature.Guard(url, loads))
      .ok;
}

}  // namespace

ZCoreManager& ZCoreManager::Instance() {
  static auto* core = new ZCoreManager();  // never destroyed before exit
  return *core;
}

void ZCoreManager::ShowError(core::Interaction& ui, const std::string& text) {
  ui.ShowMessage(text, "", core::MessageIcon::Error);
}

bool ZCoreManager::Init(core::Interaction& ui) {
  const core::ZConfig& config = core::ZConfig::Instance();
  // 1. Online only once the server has answered.
  online_ = false;

  // 2. USB driver check: only its presence counts.
  {
    platform::Library driver;
    if (!driver.Load("FTD2XX.DLL")) {
      LOG_ERROR("Failed to load the USB driver library: {0}", driver.error());
      ShowError(ui, "USB Driver install failed！");
      return false;
    }
  }

  // 3. The device SDK; its loader has shown its own message first.
  if (!device::ZKRYSdk::Instance().Load(ui)) {
    ShowError(ui, "Load SDK dll failed！");
    return false;
  }

  // 4. Run-local copy of the offline switch.
  offline_ = config.OfflineMode;

  // 5. Device manager and language table.
  if (!deviceManager_) deviceManager_ = std::make_unique<device::ZKRYDeviceManager>();
  language_ = std::make_unique<core::ZGUILanguage>(config.language, config.languageFile);
  if (!language_->Load()) {
    ShowError(ui, "Load language failed！");
    return false;
  }

  // 6. Communication settings.
  commSettings_ = std::make_unique<core::ZCommSettings>();
  commSettings_->Load();

  // 7. The one device object the program works with from now on.
  if (deviceManager_->count() == 0) deviceManager_->Add(std::make_unique<device::ZKRYDevice>());

  // 8. Version check.
  CheckVersion(ui);

  // 9-11. The three catalogues.
  if (!LoadAppCatalogue(ui)) return false;
  LoadFirmwareCatalogue(ui);
  if (!LoadSpsCatalogue(ui)) return false;

  // 12. Program texts from the language table and the built-in defaults.
  core::MergeDefaultTexts(*language_);

  // 13. The download service, unless configured offline (a server that did not answer
  // this time does not count).
  if (!config.OfflineMode) {
    downloadService_ = std::make_unique<net::ZDownloadFileService>(config.HttpCacert);
    downloadService_->Start();
  }

  // 14.
  return true;
}

void ZCoreManager::CheckVersion(core::Interaction& ui) {
  core::ZConfig& config = core::ZConfig::Instance();
  if (config.UpdateURL.empty() || offline_) return;
  const std::string path = platform::JoinPath(config.downloadDir, "update.ini");
  if (!apps::FetchUpdateInfo(config, path)) {
    LOG_WARN("Server not reachable; working offline for this run.");
    offline_ = true;
    return;
  }
  if (!config.ReadUpdateInfo(path)) {
    offline_ = true;
    ShowError(ui, "Offline！Connect server failed!");
    return;
  }
  online_ = true;
  apps::PromptAtStartUp(ui, config, handover_);
}

bool ZCoreManager::LoadAppCatalogue(core::Interaction& ui) {
  const core::ZConfig& config = core::ZConfig::Instance();
  appManager_ = std::make_unique<apps::ZKRYAPPManager>(config.appsDir);
  const std::string path = platform::JoinPath(config.downloadDir, "APPS.xml");
  if (!offline_) {
    if (!FetchCatalogue(config.ApplicationURL, path,
                        [&](const std::string& f) { return appManager_->LoadFromFile(f); })) {
      ShowError(ui, "Download app.xml failed！");
      online_ = false;
      return false;
    }
  }
  if (!appManager_->LoadFromFile(path)) {
    ShowError(ui, "Load app.xml failed！");
    return false;
  }
  return true;
}

void ZCoreManager::LoadFirmwareCatalogue(core::Interaction& ui) {
  const core::ZConfig& config = core::ZConfig::Instance();
  firmwareManager_ = std::make_unique<firmware::ZKRYFirmwareManager>();
  const std::string path = platform::JoinPath(config.downloadDir, "fws.xml");
  if (offline_) {
    if (!firmwareManager_->Load(path)) online_ = false;
    return;
  }
  // A catalogue that failed to download is not replaced by the kept one: every device then
  // counts as having new firmware, which is the safe side.
  if (!FetchCatalogue(config.FirmwareURL, path,
                      [&](const std::string& f) { return firmwareManager_->Load(f); })) {
    firmwareManager_ = std::make_unique<firmware::ZKRYFirmwareManager>();  // nothing half-read
    online_ = false;
    ShowError(ui, "Download fw.xml failed！");
  }
}

bool ZCoreManager::LoadSpsCatalogue(core::Interaction& ui) {
  const core::ZConfig& config = core::ZConfig::Instance();
  spsManager_ = std::make_unique<apps::ZSPSManager>();
  const std::string path = platform::JoinPath(config.downloadDir, "sps.xml");
  if (offline_) {
    if (!spsManager_->LoadFromFile(path)) online_ = false;
    return true;
  }
  if (!FetchCatalogue(config.SPSListURL, path,
                      [&](const std::string& f) { return spsManager_->LoadFromFile(f); })) {
    online_ = false;
    ShowError(ui, "Load sps.xml failed！");
    return false;
  }
  return true;
}

}  // namespace app
