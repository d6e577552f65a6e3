#pragma once
// The device SDK's entry table: what the binding resolves from KRY.dll (libKRY.so), in the
// order it resolves them. Entries the program calls carry their types; the rest are only
// required to exist.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/KRY.h"

namespace device {

struct KRYEntries {
  using OpenFn = std::int32_t (*)(std::int32_t* handle);
  using HandleFn = std::int32_t (*)(std::int32_t handle);
  using BlockFn = std::int32_t (*)(std::int32_t handle, std::uint8_t* block);
  using CommIfFn = std::int32_t (*)(std::int32_t handle, KRY_COMM_IF* commIf);
  using PinVolFn = std::int32_t (*)(std::int32_t handle, std::int32_t pin,
                                    std::int32_t* millivolts);
  using BytesFn = std::int32_t (*)(std::int32_t handle, const std::uint8_t* bytes);
  using UpdateFirmwareFn = std::int32_t (*)(std::int32_t handle, const char* imagePath,
                                            std::int32_t flags, std::int32_t* progress);

  OpenFn KRY_Open = nullptr;
  HandleFn KRY_Close = nullptr;
  CommIfFn KRY_GetCommIf = nullptr;
  BlockFn KRY_DEV_GetInfo = nullptr;
  BlockFn KRY_DEV_SynExInfo = nullptr;
  PinVolFn KRY_DEV_GetPinVol = nullptr;
  BytesFn KRY_DEV_SetLed = nullptr;
  BytesFn KRY_DEV_SetBeep = nullptr;
  HandleFn KRY_DEV_Reset = nullptr;
  UpdateFirmwareFn KRY_DEV_UpdateFirmware = nullptr;  // ordinal 39

  // Every other required entry, kept only to show it was there (by name or "#N").
  std::vector<std::pair<std::string, void*>> others;
};

// One entry to resolve: by name, or by ordinal when `name` is empty.
struct KRYEntrySpec {
  const char* name;
  int ordinal;
  bool required;  // false: looked up, neither kept nor required
};

// The entries in the order they are resolved.
const std::vector<KRYEntrySpec>& KRYEntryOrder();

}  // namespace device
