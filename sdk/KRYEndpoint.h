#pragma once
// Where the SDK finds the adapter, read from KRY.ini each time the adapter is opened.
#include <string>

namespace kry_sdk {

struct Endpoint {
  std::string address;
  int port = 0;
  int timeoutMs = 3000;  // connect and reply time-out, real time
};

// Network types (3 to 8): section COMM, IPAddr and Port. USB, serial, Bluetooth and automatic
// reach the adapter's stand-in at KRY_SIM_ENDPOINT ("ADDR" or "ADDR:PORT") when set, else at
// section SIM, IPAddr (127.0.0.1) and Port (6800). `iniPath` empty means %windir%/KRY.ini.
Endpoint ReadEndpoint(const std::string& iniPath = "");

}  // namespace kry_sdk
