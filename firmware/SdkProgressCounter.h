#pragma once
// The progress counter the SDK advances while it writes an image. The SDK takes a plain
// int32_t* and stores into it from the writing thread with atomic builtins; every other access
// here is atomic the same way, so the progress thread may read it without a lock.
#include <cstdint>

namespace firmware {

class SdkProgressCounter {
 public:
  void Set(std::int32_t value) { __atomic_store_n(&value_, value, __ATOMIC_RELAXED); }
  std::int32_t Read() const { return __atomic_load_n(&value_, __ATOMIC_RELAXED); }
  // One step on, for a bar that only shows time passing; the new value.
  std::int32_t Advance() { return __atomic_add_fetch(&value_, 1, __ATOMIC_RELAXED); }
  // What KRY_DEV_UpdateFirmware writes into while it runs.
  std::int32_t* ForSdk() { return &value_; }

 private:
  std::int32_t value_ = 1;
};

}  // namespace firmware
