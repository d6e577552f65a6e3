#include "cli/CommRecordJson.h"

#include "core/CommKeys.h"

namespace cli {

nlohmann::json CommRecordJson(const core::CommRecord& r) {
  nlohmann::json j = nlohmann::json::object();
  for (const core::CommKey& key : core::CommKeys()) {
    if (key.number)
      j[key.name] = r.*key.number;
    else if (key.unsignedNumber)
      j[key.name] = r.*key.unsignedNumber;
    else
      j[key.name] = r.*key.text;
  }
  return j;
}

}  // namespace cli
