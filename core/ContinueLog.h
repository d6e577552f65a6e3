#pragma once
// The log of a program whose runs belong together (the updater, and the recovery of an update
// it left unfinished): set up as SetUpLog does, but new lines follow the old ones.
#include <string>

namespace core {

void ContinueLog(const std::string& path);

}  // namespace core
