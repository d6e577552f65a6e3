#pragma once
// What the device information page shows: an ordered list of report rows, the two
// pictures with the connection tool tip, and whether the list uses its notice font. The
// report procedure fills it; the page only draws it.
#include <string>
#include <vector>

namespace device {

struct ReportRow {
  enum class Kind { Header, Value, Notice };
  Kind kind = Kind::Value;
  std::string label;
  std::string value;
};

struct DeviceReport {
  std::vector<ReportRow> rows;
  bool noticeFont = false;      // list font 1, used by the notice rows
  std::string modelImage;       // empty: keep the picture shown
  std::string connectionImage;  // e.g. "conn_unknow.png"
  std::string connectionTip;    // tool tip of both pictures
  // The main window's status labels; an empty text leaves a label as it is.
  std::string serialText;
  std::string voltageText;
  bool voltageInRange = true;  // green when in range, red otherwise
};

// What the device information page asks of the adapter procedures; the adapter binding
// implements it. Every call runs on the user-interface thread.
class DeviceProcedures {
 public:
  virtual ~DeviceProcedures() = default;
  // The report of the adapter as it is now.
  virtual DeviceReport Report() = 0;
  // Opens and closes the adapter; on failure it has told the user and returns false.
  virtual bool Probe() = 0;
  virtual void LedTest() = 0;
  virtual void BeepTest() = 0;
  virtual void FirmwareUpdate() = 0;
  // The firmware window opened by itself after start-up, when its conditions hold.
  virtual void AutoFirmwareUpdate() = 0;
  virtual void Reset() = 0;
  virtual void Unlock() = 0;
};

}  // namespace device
