#include "firmware/FirmwareResult.h"

namespace firmware {

const char* StageName(FirmwareStage stage) {
  switch (stage) {
    case FirmwareStage::NotRun:
      return "not-run";
    case FirmwareStage::OpenAdapter:
      return "open-adapter";
    case FirmwareStage::LowVoltage:
      return "low-voltage";
    case FirmwareStage::DownloadVciImage:
      return "download-vci-image";
    case FirmwareStage::WriteVci:
      return "write-vci";
    case FirmwareStage::DownloadModuleImage:
      return "download-module-image";
    case FirmwareStage::ModuleCheck:
      return "module-check";
    case FirmwareStage::ModuleConnect:
      return "module-connect";
    case FirmwareStage::UploadTool:
      return "upload-tool";
    case FirmwareStage::UploadImage:
      return "upload-image";
    case FirmwareStage::Upgrade:
      return "upgrade";
    case FirmwareStage::ModuleBack:
      return "module-back";
    case FirmwareStage::VersionCheck:
      return "version-check";
    case FirmwareStage::Done:
      return "done";
  }
  return "unknown";
}

}  // namespace firmware
