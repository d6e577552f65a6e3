#pragma once
// What the tools read from the adapter through the SDK in one short visit: open, read the
// identity and interface blocks, close again, so the main program can still reach it.
#include <cstdint>
#include <string>

#include "device/ZKRYDevice.h"

namespace tools {

struct AdapterSnapshot {
  std::int32_t openResult = -1;  // KRY_Open's result: KRY_OK, KRY_ERR_IN_USE, else not connected
  bool read = false;             // the identity blocks were read
  std::string serial, hardwareName, firmwareVersion;
  bool bootLoader = false;
  std::uint16_t pid = 0;
  int interfaceType = -1, interfacePort = 0;
  std::string address;     // the interface block's address (the module's, on a network)
  std::string connection;  // the connection label, on one line
  bool hasModule = false;
  device::ModuleInfo module;
};

// Opens `device`, reads it and closes it again.
AdapterSnapshot ReadAdapter(device::ZKRYDevice& device);

// "Device is not connected", "Device is in use", or "" when the adapter was read.
std::string AdapterProblem(const AdapterSnapshot& adapter);

}  // namespace tools
