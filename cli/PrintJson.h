#pragma once
// Every command prints its result through here.
#include <nlohmann/json.hpp>

namespace cli {

// Texts from files, servers, the adapter or the module need not be UTF-8: invalid bytes are
// printed as U+FFFD instead of ending the program. `indent` < 0 prints one line.
void PrintJson(const nlohmann::json& j, int indent = 2);

}  // namespace cli
