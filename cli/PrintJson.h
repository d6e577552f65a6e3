#pragma once
// Every command prints its result through here. Standard output carries the command's one
// result and nothing else: whatever the process or the programs it starts write to their
// standard output (installers, the SDK) goes to standard error instead.
#include <nlohmann/json.hpp>
#include <string>

namespace cli {

// Keeps the real standard output for results and points file descriptor 1 (inherited by
// started programs) at standard error. Called once, before any command runs.
void SetAsideStandardOutput();

// Texts from files, servers, the adapter or the module need not be UTF-8: invalid bytes are
// printed as U+FFFD instead of ending the program. `indent` < 0 prints one line.
void PrintJson(const nlohmann::json& j, int indent = 2);
// Bytes as they are (the codecs' raw output).
void PrintRaw(const std::string& bytes);
// Whether a result was printed yet.
bool ResultPrinted();

}  // namespace cli
