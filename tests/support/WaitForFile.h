#pragma once
// Waits for a file that another process or thread writes. The bound is real time: a test in
// the same process may have scaled the program clock, which would shrink it.
#include <chrono>
#include <string>
#include <thread>

#include "platform/Files.h"

namespace testing_support {

inline bool WaitForFile(const std::string& path, int realMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
  while (!platform::FileExists(path) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return platform::FileExists(path);
}

}  // namespace testing_support
