#pragma once
#include <string>

namespace updater {

// A relative path without any ".." part: joined to a folder, it never leads out of it.
bool StaysInside(const std::string& relative);

}  // namespace updater
