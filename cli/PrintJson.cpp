#include "cli/PrintJson.h"

#include <fcntl.h>
#include <unistd.h>

#include <ext/stdio_filebuf.h>
#include <iostream>

namespace cli {
namespace {

bool printed = false;

}  // namespace

void SetAsideStandardOutput() {
  // Never freed: std::cout is flushed at exit, after static objects are gone.
  static __gnu_cxx::stdio_filebuf<char>* results = nullptr;
  if (results) return;
  std::cout.flush();
  const int kept = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (kept < 0) return;  // no standard output: nothing can be kept apart
  if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    ::close(kept);
    return;
  }
  results = new __gnu_cxx::stdio_filebuf<char>(kept, std::ios::out);
  std::cout.rdbuf(results);
}

void PrintJson(const nlohmann::json& j, int indent) {
  printed = true;
  std::cout << j.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
}

void PrintRaw(const std::string& bytes) {
  printed = true;
  std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::cout.flush();
}

bool ResultPrinted() { return printed; }

}  // namespace cli
