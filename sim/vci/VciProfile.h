#pragma once
// One simulated adapter as a user describes it in a profile file (INI), plus the fault
// switches that tests turn on from the profile or the command line.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/vci/FirmwareImage.h"

namespace vcisim {

struct Faults {
  bool unreachable = false;          // nothing answers on the adapter's address
  bool held = false;                 // another program holds the adapter: every open gets 127
  bool bootMode = false;             // the adapter runs its boot loader
  bool lowVoltage = false;           // the OBD voltage reads 7.2 V
  bool voltageUnreadable = false;    // the voltage read gives an error
  bool firmwareFailHalfway = false;  // the firmware write fails in the middle
  bool moduleRefuse = false;         // the module's command service refuses connections
  bool mountNeverFinishes = false;   // the mount check answers "1" for ever
  bool mountUnreadable = false;      // the mount check answers nothing
  bool moduleNeverReturns = false;   // the module stays away after an upgrade or reboot
  bool moduleCorrupt = false;        // the module flips a byte of every file it receives
  bool moduleDropFile = false;       // the module drops the connection halfway through a file
  bool moduleDropImage = false;      // the same, only for the system image
  bool consoleNoPrompt = false;      // the console never sends its prompt
  bool upgradeRefused = false;       // ubus refuses the upgrade; the old system stays
  bool comesBackOld = false;         // after the upgrade's reboot the old system runs again
};

struct FaultSwitch {
  const char* name;  // command-line switch without "--", and key in the profile's [Faults]
  bool Faults::*flag;
  const char* help;
};
const std::vector<FaultSwitch>& FaultSwitches();

struct Profile {
  // [Adapter]
  std::uint16_t pid = 0x0301;
  std::string serialChars = "K9ABC";  // five characters
  std::uint16_t serialNumber = 258;
  std::string hardwareName = "VCI-X100";
  VciFirmware firmware{"KRYVCI", {1, 2, 3, 4}, 5, 3, 2024};
  std::int32_t voltageMv = 12340;
  bool bootMode = false;
  // [Interface]
  std::int32_t interfaceType = 4;
  std::int32_t interfacePort = -1;  // -1: the SDK port for network types, else 0
  std::int32_t datarate = 921600;
  bool addressGiven = false;  // the profile names the address (possibly empty)
  std::string interfaceAddress;
  // [Module]
  bool hasModule = false;
  std::uint32_t modulePid = 0x0401;
  std::string moduleName = "DOIPMOD";
  std::string moduleVersion = "V1.0.3";
  std::string moduleDate = "20240301";
  std::string ssid = "KRY-DoIP";
  // /etc/release, from [Release] and [Checksum]
  std::string releaseText =
      "[release]\nopenwrt=V1.0.3\nuboot=2020.04\ndevice=DOIPMOD\n[checksum]\nopenwrt=none\n";
  int mountPolls = 2;              // mount checks that answer "1" after each boot
  std::int64_t rebootMs = 30000;   // away after "reboot"
  std::int64_t upgradeMs = 60000;  // away after "ubus call rpc-sys upgrade_start"
  // [Console]
  std::string consoleClient = "192.168.8.100:50123";  // connected on port 6820; empty: none
  // [Timing]
  std::int64_t firmwareWriteMs = 4000;  // how long writing a whole image takes
  Faults faults;
};

// Reads a profile; keys that are missing keep the defaults above. False with a reason when
// the file cannot be read or a value is malformed.
bool LoadProfile(const std::string& path, Profile& profile, std::string& error);

// The text the profile keys are documented with (vci-sim --help).
const char* ProfileHelp();

}  // namespace vcisim
