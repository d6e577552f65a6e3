#pragma once
// A communication record of KRY.ini as JSON: every key of the file under its own name.
#include <nlohmann/json.hpp>

#include "core/ZCommSettings.h"

namespace cli {

nlohmann::json CommRecordJson(const core::CommRecord& r);

}  // namespace cli
