#pragma once
// Runs orbmanager-cli (ORB_CLI, defined by the test target) as a user does: in a folder of
// its own, with a few environment words before it, its standard error kept in the file
// "stderr" of that folder.
#include <nlohmann/json.hpp>
#include <string>

#include "platform/Files.h"
#include "tests/support/ShellRun.h"

namespace clitest {

// `input`, when given, is what the user types; otherwise standard input is empty.
inline testing_support::ShellResult RunCli(const std::string& folder, const std::string& args,
                                           const std::string& environment = "",
                                           const std::string& input = "") {
  const std::string stdinPart = input.empty() ? " </dev/null" : "";
  const std::string pipe = input.empty() ? "" : "printf '%s' '" + input + "' | ";
  return testing_support::RunShell("cd '" + folder + "' && " + pipe + environment + " " + ORB_CLI +
                                   " " + args + stdinPart + " 2>'" + folder + "/stderr'");
}

inline std::string CliStderr(const std::string& folder) {
  return platform::ReadFile(folder + "/stderr").value_or("");
}

// One record of the history as "what subject before>after ok|failed: reason".
inline std::string RecordLine(const nlohmann::json& r) {
  return r["what"].get<std::string>() + " " + r["subject"].get<std::string>() + " " +
         r["versionBefore"].get<std::string>() + ">" + r["versionAfter"].get<std::string>() + " " +
         (r["ok"].get<bool>() ? "ok: " : "failed: ") + r["reason"].get<std::string>();
}

}  // namespace clitest
