#pragma once
// The application core: owns the catalogues, the device manager, the language table, the
// communication settings, the online flag and the download service for the life of the
// process. Init runs the start-up sequence.
#include <memory>
#include <string>

#include "core/Interaction.h"
#include "core/ZCommSettings.h"
#include "core/ZGUILanguage.h"

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

  core::ZGUILanguage* language() { return language_.get(); }
  core::ZCommSettings* commSettings() { return commSettings_.get(); }

 private:
  void ShowError(core::Interaction& ui, const std::string& text);

  std::unique_ptr<core::ZGUILanguage> language_;
  std::unique_ptr<core::ZCommSettings> commSettings_;
  bool online_ = false;
  bool offline_ = false;
};

}  // namespace app
