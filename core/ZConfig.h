#pragma once
// The configuration: every value of KavoraC.ini with its default, the program folders
// (root = the working directory at start-up), the device model table, the kill list, the
// SDK identity and the values of the fetched update.ini. Read once at start-up.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DeviceModel.h"

namespace core {

struct UpdateInfo {
  std::string ManagerVersion;  // 260
  std::string ManagerURL;      // 260
  std::string MD5;             // 64
  std::string SHA256;          // 65; empty when update.ini gives none
  int Size = 0;
};

struct SdkIdentity {
  std::string Name;     // 64
  std::string Version;  // 64
  std::string Date;     // 64
};

class ZConfig {
 public:
  static constexpr std::size_t kMaxDeviceModels = 32;
  static constexpr int kMaxKillListEntries = 1024;

  static ZConfig& Instance();

  // Builds the folders under the working directory and reads everything. False when
  // KavoraC.ini exists but cannot be read (loadError() says why); the values are then the
  // defaults. A missing file gives the defaults and true.
  bool Load();
  // The same with an explicit root folder (tests, tools).
  bool LoadFrom(const std::string& rootFolder);
  // Why the KavoraC.ini under `rootFolder` cannot be read; empty when it can or is missing.
  static std::string ReadErrorAt(const std::string& rootFolder);
  static std::string ConfigFileAt(const std::string& rootFolder);
  // Reads the UPDATE section of a downloaded update.ini; false when it cannot be opened.
  bool ReadUpdateInfo(const std::string& path);
  // The first model whose SN1, SN4 and SN5 match the ten-character serial, or none.
  std::optional<DeviceModel> FindDeviceModel(const std::string& serial) const;
  // Writes LANGUAGE ("255", "1" or "0"); the language flag changes at the next start.
  bool SaveLanguage(int value);

  bool english() const { return language != 0; }
  const std::string& loadError() const { return loadError_; }

  std::string configFile;
  bool OEMFlag = false;
  std::string OEMString, OEMUpdateURL, ManagerTittle, ManagerVersion;
  std::string ApplicationURL, SPSListURL, UpdateURL, SaleURL, FirmwareURL, RemoteURL, RemoteHelpURL;
  std::string root, configDir, downloadDir, appsDir, languageFile, deviceListFile;
  UpdateInfo update;
  SdkIdentity sdk;
  bool OfflineMode = false;
  int language = 1;    // 1 English, 0 Chinese
  int LANGUAGE = 255;  // as written: 0, 1 or 255 (or any other value, meaning English)
  std::vector<std::string> killList;
  std::vector<DeviceModel> deviceModels;
  std::string DoIPSwitchProgram, OBDVoltageProgram, CaptureLogProgram, RepairDeviceProgram,
      AupdateUpdateProgram;
  std::string HttpCacert, KRYFwUp;
  std::string KRYFwUpCheckSum;
  std::string CatalogueKey;  // Base64 Ed25519 public keys, blank-separated

 private:
  std::string loadError_;

  void ReadKavoraConfig();
  void ChooseLanguage();
  void ReadDeviceList();
  void ReadKillList();
  void ReadSdkIdentity();
};

// Reads DeviceList.xml: at most 32 models, an unreadable file gives none.
std::vector<DeviceModel> ReadDeviceModels(const std::string& path);

}  // namespace core
