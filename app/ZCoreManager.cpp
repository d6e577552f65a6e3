#include "app/ZCoreManager.h"

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "platform/Library.h"

namespace app {

ZCoreManager& ZCoreManager::Instance() {
  static ZCoreManager* core = new ZCoreManager();  // never destroyed before exit
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

  // 4. Run-local copy of the offline switch.
  offline_ = config.OfflineMode;

  // 5. Language table.
  language_ = std::make_unique<core::ZGUILanguage>(config.language, config.languageFile);
  if (!language_->Load()) {
    ShowError(ui, "Load language failed！");
    return false;
  }

  // 6. Communication settings.
  commSettings_ = std::make_unique<core::ZCommSettings>();
  commSettings_->Load();

  // 12. Program texts from the language table and the built-in defaults.
  core::MergeDefaultTexts(*language_);

  // 14.
  return true;
}

}  // namespace app
