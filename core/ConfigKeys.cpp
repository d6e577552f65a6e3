#include "core/ConfigKeys.h"

#include "core/ZConfig.h"

namespace core {

const std::vector<ConfigKey>& ConfigKeys() {
  using K = ConfigKey::Kind;
  static const std::vector<ConfigKey> keys = {
      {"OEMFlag", K::Flag, "0", 0, nullptr, &ZConfig::OEMFlag},
      {"LANGUAGE", K::Integer, "255", 0, nullptr, nullptr, &ZConfig::LANGUAGE},
      {"OEMString", K::Text, "", 260, &ZConfig::OEMString},
      {"OEMUpdateURL", K::Text, "", 260, &ZConfig::OEMUpdateURL},
      {"ManagerTittle", K::Text, "Manager", 260, &ZConfig::ManagerTittle},
      {"ManagerVersion", K::Text, "", 260, &ZConfig::ManagerVersion},
      {"ApplicationURL", K::Base64OrPlain, "", 260, &ZConfig::ApplicationURL},
      {"SPSListURL", K::Base64OrPlain, "", 260, &ZConfig::SPSListURL},
      {"UpdateURL", K::Base64OrPlain, "", 260, &ZConfig::UpdateURL},
      {"SaleURL", K::Base64OrPlain, "", 260, &ZConfig::SaleURL},
      {"FirmwareURL", K::Base64OrPlain, "", 260, &ZConfig::FirmwareURL},
      {"RemoteURL", K::Base64OrPlain, "", 260, &ZConfig::RemoteURL},
      {"RemoteHelpURL", K::Base64OrPlain, "", 260, &ZConfig::RemoteHelpURL},
      {"OfflineMode", K::DecimalFlag, "0", 0, nullptr, &ZConfig::OfflineMode},
      {"DoIPSwitchProgram", K::Text, "KRYDoIPConfig.exe", 128, &ZConfig::DoIPSwitchProgram},
      {"OBDVoltageProgram", K::Text, "OBDVoltage.exe", 128, &ZConfig::OBDVoltageProgram},
      {"CaptureLogProgram", K::Text, "CaptureLog.exe", 128, &ZConfig::CaptureLogProgram},
      {"RepairDeviceProgram", K::Text, "RepairDevice.exe", 128, &ZConfig::RepairDeviceProgram},
      {"AupdateUpdateProgram", K::Text, "OrbUpdate.exe", 128, &ZConfig::AupdateUpdateProgram},
      {"HttpCacert", K::FileName, "cacert.pem", 260, &ZConfig::HttpCacert},
      {"KRYFwUp", K::FileName, "kry-fwup", 260, &ZConfig::KRYFwUp},
      {"KRYFwUpCheckSum", K::OemText, "none", 64, &ZConfig::KRYFwUpCheckSum},
      // Public keys the downloaded catalogues must be signed with; blank: none required.
      {"CatalogueKey", K::Text, "", 1024, &ZConfig::CatalogueKey},
  };
  return keys;
}

}  // namespace core
