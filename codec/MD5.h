#pragma once
// MD5 (RFC 1321) of the program's own, and the upper-case digest text used by every check.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace codec {

class MD5 {
 public:
  using Digest = std::array<std::uint8_t, 16>;
  MD5();
  void Update(const void* data, std::size_t length);
  Digest Final();

 private:
  void Transform(const std::uint8_t* block);
  std::uint32_t state_[4];
  std::uint64_t bitCount_ = 0;
  std::uint8_t buffer_[64] = {};
  std::size_t buffered_ = 0;
};

// 32 upper-case hexadecimal digits, two per byte in byte order.
std::string DigestText(const MD5::Digest& digest);
std::string MD5Text(std::string_view bytes);
// Digest text of a file, read in pieces of 1024 bytes; none when it cannot be opened.
std::optional<std::string> FileMD5Text(const std::string& path);

}  // namespace codec
