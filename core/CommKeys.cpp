#include "core/CommKeys.h"

namespace core {

const std::vector<CommKey>& CommKeys() {
  using F = CommKey::Format;
  using R = CommRecord;
  static const std::vector<CommKey> keys = {
      {"KRY", "LogLevel", F::Hex, "0xff", nullptr, 0, false, nullptr, &R::LogLevel, nullptr},
      {"KRY", "LogFlag", F::Decimal, "0", nullptr, 0, false, &R::LogFlag, nullptr, nullptr},
      {"KRY", "Unlock", F::Decimal, "0", nullptr, 0, false, &R::Unlock, nullptr, nullptr},
      {"COMM", "Name", F::Word, "USB", "USB", 32, true, nullptr, nullptr, &R::Name},
      {"COMM", "Type", F::Decimal, "", "0", 0, false, &R::Type, nullptr, nullptr},
      {"COMM", "Port", F::Decimal, "", "0", 0, false, &R::Port, nullptr, nullptr},
      {"COMM", "Datarate", F::Rate, "", "921600", 0, false, &R::Datarate, nullptr, nullptr},
      {"COMM", "Timeout", F::Decimal, "3000", "3000", 0, false, &R::Timeout, nullptr, nullptr},
      {"COMM", "Delay", F::Decimal, "", "0", 0, false, &R::Delay, nullptr, nullptr},
      {"COMM", "IPAddr", F::Word, "", "192.168.8.1", 64, false, nullptr, nullptr, &R::IPAddr},
  };
  return keys;
}

}  // namespace core
