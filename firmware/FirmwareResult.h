#pragma once
// How an update of the adapter or of its DoIP module ended: the step it stopped at and what
// the user was shown about it. The window, the command line and the history all read the
// same value instead of guessing from the status line.
#include <string>

namespace firmware {

enum class FirmwareStage {
  NotRun,               // nothing has run yet
  OpenAdapter,          // the adapter would not open
  LowVoltage,           // the user stopped at the low-voltage question
  DownloadVciImage,     // no verified VCI image
  WriteVci,             // the SDK's write failed
  DownloadModuleImage,  // no verified module image
  ModuleCheck,          // the module's channel or its root mount
  ModuleConnect,        // the channel or the release before the upload
  UploadTool,           // sending or checking the update tool
  UploadImage,          // sending or checking the image
  Upgrade,              // the module refused to start the upgrade
  ModuleBack,           // the adapter or the module did not come back after the reboot
  VersionCheck,         // the module's version after the reboot is unread or not the image's
  Done,                 // went through
};

// The name the command line's JSON gives the stage ("download-vci-image").
const char* StageName(FirmwareStage stage);

struct FirmwareResult {
  FirmwareStage stage = FirmwareStage::NotRun;
  std::string reason;  // the message shown, else the last status line; empty when none was

  bool ok() const { return stage == FirmwareStage::Done; }
  explicit operator bool() const { return ok(); }

  static FirmwareResult Completed(std::string reason = {}) {
    return {FirmwareStage::Done, std::move(reason)};
  }
  static FirmwareResult Failed(FirmwareStage stage, std::string reason = {}) {
    return {stage, std::move(reason)};
  }
};

}  // namespace firmware
