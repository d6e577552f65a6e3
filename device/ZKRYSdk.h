#pragma once
// Loads the device SDK and resolves its entries, once, at start-up.
#include <string>

#include "core/Interaction.h"
#include "device/KRYEntries.h"
#include "platform/Library.h"

namespace device {

class ZKRYSdk {
 public:
  // The process-wide SDK that the device object uses.
  static ZKRYSdk& Instance();

  // Loads `name` and resolves every entry in order. A library that cannot be loaded shows
  // "ERROR: Loadlibrary(...)" the first time only; a missing entry shows "ERROR: SDK
  // GetProcAddress!" and leaves the library loaded. True once every required entry is there.
  bool Load(core::Interaction& ui, const std::string& name = "KRY.dll");

  bool loaded() const { return ready_; }
  const KRYEntries& entries() const { return entries_; }

 private:
  bool Resolve();

  platform::Library library_;
  KRYEntries entries_;
  bool ready_ = false;
  bool loadFailureShown_ = false;
};

}  // namespace device
