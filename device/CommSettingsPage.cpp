#include "device/CommSettingsPage.h"

#include <climits>
#include <cstdio>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "platform/Text.h"

namespace device {
namespace {

struct PositionInfo {
  int type;
  int recordIndex;  // index into ZCommSettings' records
  const char* picture;
};

// List position -> type, per-type record and picture.
constexpr PositionInfo kPositions[CommSettingsPage::kTypePositions] = {
    {core::kCommAuto, 9, "config_auto.png"},  {core::kCommFtdiUsb, 0, "config_usb.png"},
    {core::kCommSerial, 1, "config_com.png"}, {core::kCommBluetooth, 2, "config_bt.png"},
    {core::kCommWifi, 3, "config_wifi.png"},  {core::kCommLan, 4, "config_lan.png"},
    {core::kCommWlan, 5, "config_wlan.png"},  {core::kCommUsbLan, 6, "config_usblan.png"},
};

bool ValidPosition(int position) {
  return position >= 0 && position < CommSettingsPage::kTypePositions;
}
bool HasPort(int position) { return position >= 2; }
bool HasAddress(int position) { return position >= 4; }

std::string Decimal(int value) { return std::to_string(value); }

constexpr std::size_t kAddressCapacity = 64;  // 63 characters and the terminator
constexpr std::size_t kNameCapacity = 32;

}  // namespace

int CommSettingsPage::TypeOfPosition(int position) {
  return ValidPosition(position) ? kPositions[position].type : -1;
}

int CommSettingsPage::PositionOfType(int type) {
  for (int p = 0; p < kTypePositions; ++p)
    if (kPositions[p].type == type) return p;
  return -1;
}

const char* CommSettingsPage::PictureOfPosition(int position) {
  return ValidPosition(position) ? kPositions[position].picture : "";
}

int CommSettingsPage::RecordIndexOfPosition(int position) {
  return ValidPosition(position) ? kPositions[position].recordIndex : -1;
}

void CommSettingsPage::Show(CommPageState& state) const {
  const core::CommRecord& r = settings_.current();
  const int position = PositionOfType(r.Type);
  if (position >= 0) {
    state.typePosition = position;
    state.portEnabled = HasPort(position);
    state.addressEnabled = HasAddress(position);
    if (HasPort(position)) state.portText = Decimal(r.Port);
    if (HasAddress(position)) state.addressText = r.IPAddr;
  }
  state.unlockPosition = r.Unlock;
  state.logLevelPosition = r.LogLevel == 0xFF ? 5 : static_cast<int>(r.LogLevel);
  if (state.logLevelPosition >= kLogLevelPositions) state.logLevelPosition = -1;
  state.logFlagPosition = r.LogFlag;
}

void CommSettingsPage::SelectType(int position, CommPageState& state) const {
  if (!ValidPosition(position)) return;
  const core::CommRecord& record = settings_.record(RecordIndexOfPosition(position));
  state.typePosition = position;
  state.portEnabled = HasPort(position);
  state.addressEnabled = HasAddress(position);
  state.portText = Decimal(record.Port);
  state.addressText = HasAddress(position) ? record.IPAddr : std::string();
  state.picture = PictureOfPosition(position);
}

bool CommSettingsPage::Apply(const CommPageState& state) {
  core::CommRecord& r = settings_.current();
  const bool valid = ValidPosition(state.typePosition);
  if (valid) {
    const int position = state.typePosition;
    const core::CommRecord& defaults = settings_.record(RecordIndexOfPosition(position));
    r.Type = TypeOfPosition(position);
    r.Port = HasPort(position) ? ParsePortText(state.portText) : defaults.Port;
    if (HasAddress(position))
      r.IPAddr = platform::CutToCapacity(state.addressText, kAddressCapacity);
    r.Datarate = defaults.Datarate;
    r.Timeout = defaults.Timeout;
    r.Delay = defaults.Delay;
    r.Name = platform::CutToCapacity(defaults.Name, kNameCapacity);
  }
  // A list without a selection keeps the stored value rather than writing -1.
  if (state.unlockPosition >= 0) r.Unlock = state.unlockPosition;
  if (state.logLevelPosition >= 0)
    r.LogLevel =
        state.logLevelPosition == 5 ? 0xFFu : static_cast<unsigned>(state.logLevelPosition);
  if (state.logFlagPosition >= 0) r.LogFlag = state.logFlagPosition;
  return valid;
}

CommSettingsPage::SaveOutcome CommSettingsPage::Save(const CommPageState& state,
                                                     core::Interaction& ui) {
  if (ui.ShowTip("CUSCFG", core::Text(core::TextId::kConfirmDeviceConfig), 1) != 1)
    return SaveOutcome::Cancelled;
  const core::CommRecord stored = settings_.current();
  if (!Apply(state)) ui.ShowTip("A#AEAAE", "Unsupported communication interface!", 0);
  if (!settings_.Save()) {
    // What the file does not hold is not kept either: a later write-back of the adapter's
    // address would otherwise save these settings without a word.
    settings_.current() = stored;
    ui.ShowMessage("Failed to save the communication settings to " + settings_.path() + " !", "",
                   core::MessageIcon::Error);
    return SaveOutcome::WriteFailed;
  }
  LOG_INFO("Communication settings saved.");
  return ui.ShowTip("CUSCFG", core::Text(core::TextId::kConfigSaved), 1) == 1
             ? SaveOutcome::EndProgram
             : SaveOutcome::Saved;
}

int ParsePortText(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
  }
  return static_cast<int>(negative ? -value : value);
}

}  // namespace device
