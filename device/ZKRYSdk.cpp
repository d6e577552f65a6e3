#include "device/ZKRYSdk.h"

#include <cstdio>
#include <cstring>

#include "core/Log.h"

namespace device {
namespace {

// The system error code the loader reports for a library that is not there.
constexpr int kModuleNotFound = 126;

template <typename T>
void Keep(T& slot, void* address) {
  slot = reinterpret_cast<T>(address);
}

}  // namespace

ZKRYSdk& ZKRYSdk::Instance() {
  static auto* sdk = new ZKRYSdk();  // lives as long as the process
  return *sdk;
}

bool ZKRYSdk::Load(core::Interaction& ui, const std::string& name) {
  if (ready_) return true;
  if (!library_.loaded() && !library_.Load(name)) {
    LOG_ERROR("Failed to load the device SDK: {0}", library_.error());
    if (!loadFailureShown_) {
      loadFailureShown_ = true;
      char text[600];
      std::snprintf(text, sizeof text, "ERROR: Loadlibrary(%s) ErrorCode = %d", name.c_str(),
                    kModuleNotFound);
      ui.ShowMessage(text, "Error", core::MessageIcon::Error);
    }
    return false;
  }
  if (!Resolve()) {
    // The library stays loaded; only the binding has failed.
    ui.ShowMessage("ERROR: SDK GetProcAddress!", "Error", core::MessageIcon::Error);
    return false;
  }
  ready_ = true;
  return true;
}

bool ZKRYSdk::Resolve() {
  KRYEntries table;
  for (const KRYEntrySpec& spec : KRYEntryOrder()) {
    const bool byName = spec.ordinal == 0;
    void* address = byName ? library_.Resolve(spec.name) : library_.Resolve(spec.ordinal);
    if (!spec.required) continue;
    const std::string label = byName ? spec.name : "#" + std::to_string(spec.ordinal);
    if (!address) {
      LOG_ERROR("The device SDK lacks the entry {0}.", label);
      return false;
    }
    if (!byName && spec.ordinal == 39)
      Keep(table.KRY_DEV_UpdateFirmware, address);
    else if (label == "KRY_Open")
      Keep(table.KRY_Open, address);
    else if (label == "KRY_Close")
      Keep(table.KRY_Close, address);
    else if (label == "KRY_GetCommIf")
      Keep(table.KRY_GetCommIf, address);
    else if (label == "KRY_DEV_GetInfo")
      Keep(table.KRY_DEV_GetInfo, address);
    else if (label == "KRY_DEV_SynExInfo")
      Keep(table.KRY_DEV_SynExInfo, address);
    else if (label == "KRY_DEV_GetPinVol")
      Keep(table.KRY_DEV_GetPinVol, address);
    else if (label == "KRY_DEV_SetLed")
      Keep(table.KRY_DEV_SetLed, address);
    else if (label == "KRY_DEV_SetBeep")
      Keep(table.KRY_DEV_SetBeep, address);
    else if (label == "KRY_DEV_Reset")
      Keep(table.KRY_DEV_Reset, address);
    else
      table.others.emplace_back(label, address);
  }
  entries_ = std::move(table);
  return true;
}

}  // namespace device
