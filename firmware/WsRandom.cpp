#include "firmware/WsRandom.h"

#include <ctime>
#include <mutex>

namespace firmware {
namespace {

std::mutex g_mutex;
std::uint32_t g_state = 1;
bool g_seeded = false;

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ull;

}  // namespace

void WsSeed(std::uint32_t seed) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_state = seed;
  g_seeded = true;
}

void WsSeedOnce() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_seeded) return;
  const auto now = static_cast<std::uint64_t>(std::time(nullptr));
  // The product of the two clocks, truncated to 32 bits.
  g_state = static_cast<std::uint32_t>(now * (now + kSecondsFrom1601To1970));
  g_seeded = true;
}

int WsRandom() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & 0x7fff);
}

}  // namespace firmware
