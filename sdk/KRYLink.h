#pragma once
// The link between libKRY.so and the adapter (vci-sim): one request, one reply, over TCP.
//   request: payload length (u32 LE), opcode (u8), payload
//   reply:   payload length (u32 LE), result (i32 LE), payload
// The connection that was granted kOpen holds the adapter until kClose or until it ends.
#include <cstdint>
#include <string>

namespace kry_link {

constexpr int kDefaultPort = 6800;
// Bigger payloads mean a broken peer; the link is dropped.
constexpr std::uint32_t kMaxPayload = 1u << 20;
constexpr std::size_t kFirmwareChunk = 16384;

enum Opcode : std::uint8_t {
  kOpen = 1,
  kClose = 2,
  kGetInfo = 3,    // -> 64-byte information block
  kSynExInfo = 4,  // -> 128-byte extension block
  kGetCommIf = 5,  // -> type, port, datarate (i32 each), address (64 bytes)
  kGetPinVol = 6,  // pin (i32) -> millivolts (i32)
  kSetLed = 7,     // 4 bytes
  kSetBeep = 8,    // 2 bytes
  kReset = 9,
  kEcho = 10,
  kFirmwareBegin = 11,  // image size (u32); the adapter enters its boot loader
  kFirmwareData = 12,   // a piece of the image
  kFirmwareEnd = 13,    // the adapter checks the image and starts it
  kGetTime = 14,        // -> seconds since the adapter started (u32)
};

inline void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline std::uint32_t GetU32(const void* data) {
  const auto* p = static_cast<const unsigned char*>(data);
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace kry_link
