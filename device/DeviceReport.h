#pragma once
// The device information report: opens the adapter, reads it, classifies it (not connected,
// in use, boot loader, normal) and builds the ordered rows the device page shows, with the
// main window's serial and voltage labels, the two pictures and the firmware marker. The
// adapter is closed again at the end. The page only draws what the report holds.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ZCommSettings.h"
#include "core/ZConfig.h"

namespace device {

class ZKRYDevice;

struct ReportRow {
  enum class Kind { Header, Value, Notice };
  Kind kind = Kind::Value;
  std::string label;
  std::string value;
};

constexpr std::uint32_t kColourGreen = 0xFF00FF00;
constexpr std::uint32_t kColourRed = 0xFFFF0000;

struct DeviceReport {
  std::vector<ReportRow> rows;
  bool noticeFont = false;      // list font 1, used by the notice rows
  std::string modelImage;       // empty: keep the picture shown
  std::string connectionImage;  // e.g. "conn_unknow.png"; empty: keep it
  std::string connectionTip;    // tool tip of both pictures
  // The main window's status labels; an empty text leaves a label as it is.
  std::string serialText;
  std::uint32_t serialColour = kColourGreen;
  std::string voltageText;
  bool voltageInRange = true;  // green when in range, red otherwise
  std::uint32_t voltageColour = kColourGreen;
  int millivolts = 0;
  // Page state kept across runs.
  std::string firmwareButtonText;
  bool firmwareUpdate = false;
  std::uint32_t vciPid = 0;
  std::uint32_t doipPid = 0;
  bool hasDoIP = false;
};

struct ReportContext {
  const core::ZConfig& config;
  core::ZCommSettings& comm;
  // Whether `version` is the catalogue's current version for `pid`.
  std::function<bool(std::uint32_t pid, const std::string& version)> isLatestVersion;
  // The skin folder the pictures are looked up in (model pictures must exist there).
  std::string skinFolder;
};

// Runs the report; `state` carries the page state of the previous run (button text,
// has-DoIP flag, PIDs) and receives this run's outcome.
void UpdateDeviceInfo(ZKRYDevice& device, const ReportContext& context, DeviceReport& state);

// The report of an adapter that cannot be reached: the "not connected" notice naming the
// connection KRY.ini sets, in the notice font, and the unknown-connection picture. `kept`
// carries the page state of the previous run.
DeviceReport NoAdapterReport(const std::string& connectionName, DeviceReport kept = {});

// "%6.2f V" of millivolts, and its colour: green from 8,000 to 15,000 mV, red otherwise.
std::string VoltageText(int millivolts);
std::uint32_t VoltageColour(int millivolts);
// The connection label of an interface type, port and address ("LAN\r\n%s : %d").
std::string ConnectionLabel(int type, int port, const std::string& address);
std::string ConnectionPicture(int type);
// Adds " +" to the firmware button text unless it has a "+" already / takes it away.
std::string WithMarker(const std::string& text);
std::string WithoutMarker(const std::string& text);

}  // namespace device
