#include "cli/PrintJson.h"

#include <iostream>

namespace cli {

void PrintJson(const nlohmann::json& j, int indent) {
  std::cout << j.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
}

}  // namespace cli
