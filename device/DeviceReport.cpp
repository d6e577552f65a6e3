#include "device/DeviceReport.h"

#include <cstdio>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "device/BatteryVoltage.h"
#include "device/ZKRYDevice.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace device {
namespace {

using Kind = ReportRow::Kind;

std::string Prefixed(const core::ZConfig& config, const std::string& version) {
  return platform::Utf16Length(config.OEMString) >= 2 ? config.OEMString + version : version;
}

ReportRow NotConnectedRow(const std::string& connectionName) {
  return {Kind::Notice, core::Text(core::TextId::kNotConnected), "(" + connectionName + ")"};
}

void NotConnectedPictures(DeviceReport& r, const ZKRYDevice& device) {
  r.connectionImage = device.inUse() ? "conn_used.png" : "conn_unknow.png";
}

}  // namespace

DeviceReport NoAdapterReport(const std::string& connectionName, DeviceReport kept) {
  kept.rows = {NotConnectedRow(connectionName)};
  kept.noticeFont = true;
  kept.connectionImage = "conn_unknow.png";
  return kept;
}

std::string VoltageText(int millivolts) {
  char text[32];
  std::snprintf(text, sizeof text, "%6.2f V", millivolts / 1000.0);
  return text;
}

std::uint32_t VoltageColour(int millivolts) {
  return millivolts >= 8000 && millivolts <= 15000 ? kColourGreen : kColourRed;
}

std::string ConnectionLabel(int type, int port, const std::string& address) {
  static const char* kSerial[] = {"FTDI\r\nPort %d", "Serial\r\nPort %d", "Bluetooth\r\nPort %d"};
  static const char* kNetwork[] = {"WiFi\r\n%s : %d",   "LAN\r\n%s : %d",    "WLAN\r\n%s : %d",
                                   "USBLAN\r\n%s : %d", "Remote\r\n%s : %d", "Farlink\r\n%s : %d"};
  char text[160];
  if (core::IsPortCommType(type)) {
    std::snprintf(text, sizeof text, kSerial[type], port);
    return text;
  }
  if (core::IsNetworkCommType(type)) {
    std::snprintf(text, sizeof text, kNetwork[type - core::kCommWifi], address.c_str(), port);
    return text;
  }
  return "none device";
}

std::string ConnectionPicture(int type) {
  switch (type) {
    case 0:
      return "conn_usb.png";
    case 1:
      return "conn_com.png";
    case 2:
      return "conn_bt.png";
    case 3:
    case 5:
      return "conn_wifi.png";
    case 4:
      return "conn_lan.png";
    case 6:
      return "conn_usblan.png";
    case 7:
    case 8:
      return "conn_remote.png";
    default:
      return "conn_auto.png";
  }
}

std::string WithMarker(const std::string& text) {
  return text.find('+') == std::string::npos ? text + " +" : text;
}

std::string WithoutMarker(const std::string& text) {
  if (text.find('+') == std::string::npos) return text;
  return text.size() >= 2 ? text.substr(0, text.size() - 2) : std::string();
}

void UpdateDeviceInfo(ZKRYDevice& device, const ReportContext& ctx, DeviceReport& r) {
  const core::ZConfig& config = ctx.config;
  // 1. A fresh list; the page state survives.
  r.firmwareUpdate = false;
  r.rows.clear();
  r.noticeFont = false;
  r.serialText.clear();
  r.voltageText.clear();
  r.modelImage.clear();
  r.connectionImage.clear();
  r.connectionTip.clear();
  LOG_INFO("UpdateDeviceInfo");

  // 2. Open.
  if (!device.connected() && device.Open() != 0) {
    LOG_ERROR("Filed on connect device.");
    r.noticeFont = true;
    if (device.inUse())
      r.rows.push_back(
          {Kind::Notice, core::Text(core::TextId::kDeviceInUse), device.serialNumber()});
    else
      r.rows.push_back(NotConnectedRow(ctx.comm.current().Name));
    NotConnectedPictures(r, device);
    return;
  }

  // 3. Identity.
  LOG_INFO("ReadDeviceInfo");
  if (!device._ReadHWInfo()) {
    LOG_ERROR("Filed on read device info.");
    r.rows.push_back(NotConnectedRow(ctx.comm.current().Name));
    NotConnectedPictures(r, device);
    device.Close();
    return;
  }

  // 4. Boot loader.
  LOG_INFO("List device info.");
  if (device.InBootLoader()) {
    r.vciPid = device.pid();
    LOG_INFO("VCI PID: {0} ", r.vciPid);
    r.firmwareUpdate = true;
    LOG_WARN("Device in boot mode, must upgrade vci firmware.");
    r.rows.push_back({Kind::Notice, "VCI Boot", "Mode"});
    device.Close();
    return;
  }

  // 5. Serial number and pictures.
  const std::string serial = device.serialNumber();
  LOG_INFO("Device SN: {0}", serial);
  if (const auto model = config.FindDeviceModel(serial)) {
    if (!model->Image.empty() && model->Image.find('/') == std::string::npos &&
        platform::FileExists(platform::JoinPath(ctx.skinFolder, model->Image)))
      r.modelImage = model->Image;
  }
  r.connectionImage = ConnectionPicture(ctx.comm.current().Type);
  r.serialText = serial;
  r.serialColour = kColourGreen;

  // 6. OBD voltage on pin 16; a failed call leaves 0.
  const std::int32_t millivolts = ReadBatteryMillivolts(device).value_or(0);
  r.millivolts = millivolts;
  r.voltageText = VoltageText(millivolts);
  r.voltageColour = VoltageColour(millivolts);
  r.voltageInRange = r.voltageColour == kColourGreen;
  LOG_INFO("OBD Voltage: {0}", millivolts);

  // 7. Rows, with the connection label computed between rows 4 and 5.
  const bool dropDates = config.OEMString == "OD";
  r.rows.push_back({Kind::Header, core::Text(core::TextId::kHardware), ""});
  r.rows.push_back({Kind::Value, core::Text(core::TextId::kName),
                    config.OEMFlag ? "VCI" : device.hardwareName()});
  r.rows.push_back({Kind::Value, core::Text(core::TextId::kSerialNumber), serial});
  r.rows.push_back({Kind::Value, core::Text(core::TextId::kInterface), ctx.comm.current().Name});

  // 8. Connection label; the communication record remembers what the SDK used.
  const KRY_COMM_IF& commIf = device.commIf();
  if (core::IsPortCommType(commIf.type)) {
    ctx.comm.SetCurrentAddress(nullptr, commIf.port);
  } else if (core::IsNetworkCommType(commIf.type)) {
    const std::string address = device.address();
    ctx.comm.SetCurrentAddress(&address, commIf.port);
  }
  r.connectionTip = ConnectionLabel(commIf.type, commIf.port, device.address());

  r.rows.push_back({Kind::Header, core::Text(core::TextId::kFirmware), ""});
  r.rows.push_back({Kind::Value, core::Text(core::TextId::kName),
                    config.OEMFlag ? "VCI" : device.firmwareName()});
  r.rows.push_back({Kind::Value, core::Text(core::TextId::kVersion),
                    Prefixed(config, device.firmwareVersion())});
  if (!dropDates)
    r.rows.push_back({Kind::Value, core::Text(core::TextId::kDate), device.firmwareDate()});
  r.rows.push_back({Kind::Header, core::Text(core::TextId::kDriver), ""});
  r.rows.push_back({Kind::Value, core::Text(core::TextId::kName), config.sdk.Name});
  r.rows.push_back(
      {Kind::Value, core::Text(core::TextId::kVersion), Prefixed(config, config.sdk.Version)});
  if (!dropDates) r.rows.push_back({Kind::Value, core::Text(core::TextId::kDate), config.sdk.Date});

  const ModuleInfo module = device.module();
  const bool hasModule = device.HasDoIPModule();
  if (hasModule) {
    r.rows.push_back({Kind::Header, core::Text(core::TextId::kExpansion), ""});
    LOG_INFO("Name: {0}", module.name);
    r.rows.push_back({Kind::Value, core::Text(core::TextId::kName), module.name});
    LOG_INFO("SW Version: {0}", module.version);
    r.rows.push_back(
        {Kind::Value, core::Text(core::TextId::kVersion), Prefixed(config, module.version)});
    LOG_INFO("SW Date: {0}", module.date);
    if (!dropDates) r.rows.push_back({Kind::Value, core::Text(core::TextId::kDate), module.date});
    LOG_INFO("SSID: {0}", module.ssid);
    r.rows.push_back({Kind::Value, "SSID", module.ssid});
  }

  // 9. VCI firmware against the catalogue.
  const std::string moduleVersion = platform::CutAtFirstBlank(module.version);
  r.vciPid = device.pid();
  LOG_INFO("VCI PID: {0}", r.vciPid);
  const auto isLatest = [&](std::uint32_t pid, const std::string& version) {
    return ctx.isLatestVersion && ctx.isLatestVersion(pid, version);
  };
  if (!isLatest(r.vciPid, device.firmwareVersion())) {
    r.firmwareButtonText = WithMarker(r.firmwareButtonText);
    r.firmwareUpdate = true;
    LOG_INFO("VCI have new firmware.");
  } else {
    r.firmwareButtonText = WithoutMarker(r.firmwareButtonText);
    r.firmwareUpdate = false;
  }

  // 10. DoIP module against the catalogue.
  if (hasModule) {
    LOG_INFO("Have DoIP.");
    r.hasDoIP = true;
    r.doipPid = module.pid;
    LOG_INFO("DoIP Pid: {0}.", r.doipPid);
    if (!isLatest(r.doipPid, moduleVersion)) {
      r.firmwareButtonText = WithMarker(r.firmwareButtonText);
      r.firmwareUpdate = true;
      LOG_INFO("DoIP have new firmware.");
    } else if (!r.firmwareUpdate) {
      r.firmwareButtonText = WithoutMarker(r.firmwareButtonText);
    }
  }

  // 11.
  device.Close();
}

}  // namespace device
