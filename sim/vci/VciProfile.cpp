#include "sim/vci/VciProfile.h"

#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Text.h"

namespace vcisim {

const std::vector<FaultSwitch>& FaultSwitches() {
  static const std::vector<FaultSwitch> switches = {
      {"unreachable", &Faults::unreachable, "nothing answers on the adapter's address"},
      {"held", &Faults::held, "another program holds the adapter: every KRY_Open gives 127"},
      {"boot-mode", &Faults::bootMode, "the adapter runs its boot loader (\"VCI-BOOT\")"},
      {"low-voltage", &Faults::lowVoltage, "the OBD voltage reads 7200 mV"},
      {"voltage-unreadable", &Faults::voltageUnreadable, "reading the OBD voltage fails"},
      {"fw-fail-halfway", &Faults::firmwareFailHalfway,
       "the firmware write fails halfway; the adapter stays in its boot loader"},
      {"module-refuse", &Faults::moduleRefuse, "the module's command service refuses connections"},
      {"mount-never-finishes", &Faults::mountNeverFinishes,
       "the mount check answers \"1\" for ever"},
      {"mount-unreadable", &Faults::mountUnreadable, "the mount check answers nothing"},
      {"module-never-returns", &Faults::moduleNeverReturns,
       "the module stays away after an upgrade or a reboot"},
      {"module-corrupt", &Faults::moduleCorrupt,
       "the module flips a byte of every file it receives"},
      {"module-drop-file", &Faults::moduleDropFile,
       "the module drops the connection halfway through a file"},
      {"module-drop-image", &Faults::moduleDropImage,
       "the module drops the connection halfway through the system image (/tmp/firmware.bin)"},
      {"console-no-prompt", &Faults::consoleNoPrompt, "the console never sends its prompt \"->\""},
      {"upgrade-refused", &Faults::upgradeRefused,
       "ubus refuses the upgrade (\"Command failed: Permission denied\"); the old system stays"},
      {"comes-back-old", &Faults::comesBackOld,
       "the module reboots for the upgrade and comes back running its old system"},
  };
  return switches;
}

namespace {

constexpr char kMissing[] = "\x01missing";

class Reader {
 public:
  Reader(const std::string& path, std::string& error) : ini_(path), error_(error) {}
  bool Has(const char* section, const char* key) const {
    return ini_.ReadString(section, key, kMissing, 256) != kMissing;
  }
  void Text(const char* section, const char* key, std::string& out, std::size_t max = 255) const {
    if (Has(section, key)) out = ini_.ReadString(section, key, "", 256).substr(0, max);
  }
  template <typename T>
  void Number(const char* section, const char* key, T& out) {
    if (!Has(section, key)) return;
    const std::string text = platform::Trim(ini_.ReadString(section, key, "", 64));
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (text.empty() || (!hex && text.find_first_not_of("-0123456789") != std::string::npos)) {
      Fail(section, key);
      return;
    }
    out = static_cast<T>(hex ? static_cast<long long>(platform::ParseHex(text))
                             : platform::ParseDecimal(text));
  }
  void Flag(const char* section, const char* key, bool& out) {
    int v = out ? 1 : 0;
    Number(section, key, v);
    out = v != 0;
  }
  void Fail(const char* section, const char* key) {
    if (error_.empty()) error_ = std::string("bad value for [") + section + "] " + key;
  }
  bool exists() const { return ini_.exists(); }

 private:
  platform::IniReader ini_;
  std::string& error_;
};

std::string ReleaseText(const Reader& r) {
  std::string openwrt = "V1.0.3", uboot = "2020.04", device = "DOIPMOD", checksum = "none";
  r.Text("Release", "openwrt", openwrt);
  r.Text("Release", "uboot", uboot);
  r.Text("Release", "device", device);
  r.Text("Checksum", "openwrt", checksum);
  return "[release]\nopenwrt=" + openwrt + "\nuboot=" + uboot + "\ndevice=" + device +
         "\n[checksum]\nopenwrt=" + checksum + "\n";
}

}  // namespace

bool LoadProfile(const std::string& path, Profile& p, std::string& error) {
  error.clear();
  if (!platform::FileExists(path)) {
    error = "cannot read the profile " + path;
    return false;
  }
  Reader r(path, error);
  r.Number("Adapter", "PID", p.pid);
  r.Text("Adapter", "SerialChars", p.serialChars, 5);
  r.Number("Adapter", "SerialNumber", p.serialNumber);
  r.Text("Adapter", "HardwareName", p.hardwareName, 8);
  r.Text("Adapter", "FirmwareName", p.firmware.name, 8);
  std::string text;
  if (r.Has("Adapter", "FirmwareVersion")) {
    r.Text("Adapter", "FirmwareVersion", text);
    if (!ParseVersion(text, p.firmware.version)) r.Fail("Adapter", "FirmwareVersion");
  }
  if (r.Has("Adapter", "FirmwareDate")) {
    r.Text("Adapter", "FirmwareDate", text);
    if (!ParseDate(text, p.firmware.day, p.firmware.month, p.firmware.year))
      r.Fail("Adapter", "FirmwareDate");
  }
  r.Number("Adapter", "Voltage", p.voltageMv);
  r.Flag("Adapter", "BootMode", p.bootMode);

  r.Number("Interface", "Type", p.interfaceType);
  r.Number("Interface", "Port", p.interfacePort);
  r.Number("Interface", "Datarate", p.datarate);
  p.addressGiven = r.Has("Interface", "Address");
  r.Text("Interface", "Address", p.interfaceAddress, 63);

  r.Flag("Module", "Present", p.hasModule);
  r.Number("Module", "PID", p.modulePid);
  r.Text("Module", "Name", p.moduleName, 8);
  r.Text("Module", "Version", p.moduleVersion, 8);
  r.Text("Module", "Date", p.moduleDate, 8);
  r.Text("Module", "SSID", p.ssid, 16);
  r.Number("Module", "MountPolls", p.mountPolls);
  r.Number("Module", "RebootMs", p.rebootMs);
  r.Number("Module", "UpgradeMs", p.upgradeMs);
  p.releaseText = ReleaseText(r);

  r.Text("Console", "Client", p.consoleClient);
  r.Number("Timing", "FirmwareWriteMs", p.firmwareWriteMs);
  for (const auto& s : FaultSwitches()) r.Flag("Faults", s.name, p.faults.*s.flag);
  return error.empty();
}

const char* ProfileHelp() {
  return R"(PROFILE (an INI file; every key is optional, defaults in brackets)
  [Adapter]    PID (0x0301)  SerialChars (K9ABC)  SerialNumber (258)
               HardwareName (VCI-X100)  FirmwareName (KRYVCI)  FirmwareVersion (1.2.3.4)
               FirmwareDate (2024-03-05)  Voltage in mV (12340)  BootMode (0)
  [Interface]  Type: 0 USB, 1 serial, 2 Bluetooth, 3 Wi-Fi, 4 LAN, 5 WLAN, 6 USB LAN,
               7 remote, 8 Farlink, 255 automatic (4)
               Port (the SDK port for types 3 to 8, else 0)  Datarate (921600)
               Address (the --address; present but empty: no network address)
  [Module]     Present (0)  PID (0x0401)  Name (DOIPMOD)  Version (V1.0.3)  Date (20240301)
               SSID (KRY-DoIP)  MountPolls: mount checks answering "1" after a boot (2)
               RebootMs: time away after "reboot" (30000)
               UpgradeMs: time away after "ubus call rpc-sys upgrade_start" (60000)
  [Release]    openwrt (V1.0.3)  uboot (2020.04)  device (DOIPMOD)    -> /etc/release
  [Checksum]   openwrt (none)                                          -> /etc/release
  [Console]    Client: the address:port connected on port 6820, empty for none
               (192.168.8.100:50123)
  [Timing]     FirmwareWriteMs: how long writing a whole image takes (4000)
  [Faults]     any fault switch below by name, 1 to turn it on
All times are program time: KAVORA_TIME_SCALE scales them.
)";
}

}  // namespace vcisim
