#include "sdk/KRYEndpoint.h"

#include <cstdlib>

#include "platform/Environment.h"
#include "platform/Ini.h"
#include "platform/Text.h"
#include "sdk/KRYLink.h"

namespace kry_sdk {
namespace {

int Number(const platform::IniReader& ini, const char* section, const char* key, int def) {
  const std::string text = ini.ReadString(section, key, "", 64);
  return text.empty() ? def : static_cast<int>(platform::ParseDecimal(text));
}

}  // namespace

Endpoint ReadEndpoint(const std::string& iniPath) {
  const platform::IniReader ini(iniPath.empty() ? platform::ExpandEnvironment("%windir%/KRY.ini")
                                                : iniPath);
  Endpoint e;
  const int timeout = Number(ini, "COMM", "Timeout", 3000);
  // A time-out too short to cross even the loopback would make every open fail.
  e.timeoutMs = timeout < 500 ? 500 : timeout;
  const int type = Number(ini, "COMM", "Type", 0);
  if (type >= 3 && type <= 8) {
    e.address = platform::CutAtFirstBlank(ini.ReadString("COMM", "IPAddr", "", 64));
    e.port = Number(ini, "COMM", "Port", kry_link::kDefaultPort);
    if (e.port == 0) e.port = kry_link::kDefaultPort;
    return e;
  }
  const char* env = std::getenv("KRY_SIM_ENDPOINT");
  if (env && *env) {
    const std::string text(env);
    const auto colon = text.rfind(':');
    e.address = text.substr(0, colon);
    e.port = colon == std::string::npos
                 ? kry_link::kDefaultPort
                 : static_cast<int>(platform::ParseDecimal(text.substr(colon + 1)));
    return e;
  }
  e.address = platform::CutAtFirstBlank(ini.ReadString("SIM", "IPAddr", "127.0.0.1", 64));
  e.port = Number(ini, "SIM", "Port", kry_link::kDefaultPort);
  return e;
}

}  // namespace kry_sdk
