#include "codec/MD5.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace codec {
namespace {

inline std::uint32_t Rotl(std::uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }
inline std::uint32_t Load32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

MD5::MD5() : state_{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u} {}

// The four rounds written out, so the compiler keeps every word in a register.
#define ORB_MD5_STEP(f, a, b, c, d, x, t, s) \
  (a) += f(b, c, d) + (x) + (t);             \
  (a) = Rotl((a), (s)) + (b)
#define ORB_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define ORB_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define ORB_H(x, y, z) ((x) ^ (y) ^ (z))
#define ORB_I(x, y, z) ((y) ^ ((x) | ~(z)))

void MD5::Transform(const std::uint8_t* block) {
  std::uint32_t x[16];
  for (std::size_t i = 0; i < 16; ++i) x[i] = Load32(block + 4 * i);
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

  ORB_MD5_STEP(ORB_F, a, b, c, d, x[0], 0xd76aa478, 7);
  ORB_MD5_STEP(ORB_F, d, a, b, c, x[1], 0xe8c7b756, 12);
  ORB_MD5_STEP(ORB_F, c, d, a, b, x[2], 0x242070db, 17);
  ORB_MD5_STEP(ORB_F, b, c, d, a, x[3], 0xc1bdceee, 22);
  ORB_MD5_STEP(ORB_F, a, b, c, d, x[4], 0xf57c0faf, 7);
  ORB_MD5_STEP(ORB_F, d, a, b, c, x[5], 0x4787c62a, 12);
  ORB_MD5_STEP(ORB_F, c, d, a, b, x[6], 0xa8304613, 17);
  ORB_MD5_STEP(ORB_F, b, c, d, a, x[7], 0xfd469501, 22);
  ORB_MD5_STEP(ORB_F, a, b, c, d, x[8], 0x698098d8, 7);
  ORB_MD5_STEP(ORB_F, d, a, b, c, x[9], 0x8b44f7af, 12);
  ORB_MD5_STEP(ORB_F, c, d, a, b, x[10], 0xffff5bb1, 17);
  ORB_MD5_STEP(ORB_F, b, c, d, a, x[11], 0x895cd7be, 22);
  ORB_MD5_STEP(ORB_F, a, b, c, d, x[12], 0x6b901122, 7);
  ORB_MD5_STEP(ORB_F, d, a, b, c, x[13], 0xfd987193, 12);
  ORB_MD5_STEP(ORB_F, c, d, a, b, x[14], 0xa679438e, 17);
  ORB_MD5_STEP(ORB_F, b, c, d, a, x[15], 0x49b40821, 22);

  ORB_MD5_STEP(ORB_G, a, b, c, d, x[1], 0xf61e2562, 5);
  ORB_MD5_STEP(ORB_G, d, a, b, c, x[6], 0xc040b340, 9);
  ORB_MD5_STEP(ORB_G, c, d, a, b, x[11], 0x265e5a51, 14);
  ORB_MD5_STEP(ORB_G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
  ORB_MD5_STEP(ORB_G, a, b, c, d, x[5], 0xd62f105d, 5);
  ORB_MD5_STEP(ORB_G, d, a, b, c, x[10], 0x02441453, 9);
  ORB_MD5_STEP(ORB_G, c, d, a, b, x[15], 0xd8a1e681, 14);
  ORB_MD5_STEP(ORB_G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
  ORB_MD5_STEP(ORB_G, a, b, c, d, x[9], 0x21e1cde6, 5);
  ORB_MD5_STEP(ORB_G, d, a, b, c, x[14], 0xc33707d6, 9);
  ORB_MD5_STEP(ORB_G, c, d, a, b, x[3], 0xf4d50d87, 14);
  ORB_MD5_STEP(ORB_G, b, c, d, a, x[8], 0x455a14ed, 20);
  ORB_MD5_STEP(ORB_G, a, b, c, d, x[13], 0xa9e3e905, 5);
  ORB_MD5_STEP(ORB_G, d, a, b, c, x[2], 0xfcefa3f8, 9);
  ORB_MD5_STEP(ORB_G, c, d, a, b, x[7], 0x676f02d9, 14);
  ORB_MD5_STEP(ORB_G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

  ORB_MD5_STEP(ORB_H, a, b, c, d, x[5], 0xfffa3942, 4);
  ORB_MD5_STEP(ORB_H, d, a, b, c, x[8], 0x8771f681, 11);
  ORB_MD5_STEP(ORB_H, c, d, a, b, x[11], 0x6d9d6122, 16);
  ORB_MD5_STEP(ORB_H, b, c, d, a, x[14], 0xfde5380c, 23);
  ORB_MD5_STEP(ORB_H, a, b, c, d, x[1], 0xa4beea44, 4);
  ORB_MD5_STEP(ORB_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
  ORB_MD5_STEP(ORB_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
  ORB_MD5_STEP(ORB_H, b, c, d, a, x[10], 0xbebfbc70, 23);
  ORB_MD5_STEP(ORB_H, a, b, c, d, x[13], 0x289b7ec6, 4);
  ORB_MD5_STEP(ORB_H, d, a, b, c, x[0], 0xeaa127fa, 11);
  ORB_MD5_STEP(ORB_H, c, d, a, b, x[3], 0xd4ef3085, 16);
  ORB_MD5_STEP(ORB_H, b, c, d, a, x[6], 0x04881d05, 23);
  ORB_MD5_STEP(ORB_H, a, b, c, d, x[9], 0xd9d4d039, 4);
  ORB_MD5_STEP(ORB_H, d, a, b, c, x[12], 0xe6db99e5, 11);
  ORB_MD5_STEP(ORB_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
  ORB_MD5_STEP(ORB_H, b, c, d, a, x[2], 0xc4ac5665, 23);

  ORB_MD5_STEP(ORB_I, a, b, c, d, x[0], 0xf4292244, 6);
  ORB_MD5_STEP(ORB_I, d, a, b, c, x[7], 0x432aff97, 10);
  ORB_MD5_STEP(ORB_I, c, d, a, b, x[14], 0xab9423a7, 15);
  ORB_MD5_STEP(ORB_I, b, c, d, a, x[5], 0xfc93a039, 21);
  ORB_MD5_STEP(ORB_I, a, b, c, d, x[12], 0x655b59c3, 6);
  ORB_MD5_STEP(ORB_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
  ORB_MD5_STEP(ORB_I, c, d, a, b, x[10], 0xffeff47d, 15);
  ORB_MD5_STEP(ORB_I, b, c, d, a, x[1], 0x85845dd1, 21);
  ORB_MD5_STEP(ORB_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
  ORB_MD5_STEP(ORB_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
  ORB_MD5_STEP(ORB_I, c, d, a, b, x[6], 0xa3014314, 15);
  ORB_MD5_STEP(ORB_I, b, c, d, a, x[13], 0x4e0811a1, 21);
  ORB_MD5_STEP(ORB_I, a, b, c, d, x[4], 0xf7537e82, 6);
  ORB_MD5_STEP(ORB_I, d, a, b, c, x[11], 0xbd3af235, 10);
  ORB_MD5_STEP(ORB_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
  ORB_MD5_STEP(ORB_I, b, c, d, a, x[9], 0xeb86d391, 21);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

#undef ORB_MD5_STEP
#undef ORB_F
#undef ORB_G
#undef ORB_H
#undef ORB_I

void MD5::Update(const void* data, std::size_t length) {
  auto p = static_cast<const std::uint8_t*>(data);
  bitCount_ += static_cast<std::uint64_t>(length) * 8;
  if (buffered_ > 0) {
    const std::size_t take = std::min(length, 64 - buffered_);
    std::memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    length -= take;
    if (buffered_ < 64) return;
    Transform(buffer_);
    buffered_ = 0;
  }
  for (; length >= 64; p += 64, length -= 64) Transform(p);
  std::memcpy(buffer_, p, length);
  buffered_ = length;
}

MD5::Digest MD5::Final() {
  const std::uint64_t bits = bitCount_;
  static const std::uint8_t kPad[64] = {0x80};
  const std::size_t padLength = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
  Update(kPad, padLength);
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  Update(length, 8);
  Digest digest;
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) digest[4 * i + k] = static_cast<std::uint8_t>(state_[i] >> (8 * k));
  return digest;
}

std::string DigestText(const MD5::Digest& digest) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(32);
  for (auto b : digest) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}

std::string MD5Text(std::string_view bytes) {
  MD5 md5;
  md5.Update(bytes.data(), bytes.size());
  return DigestText(md5.Final());
}

std::optional<std::string> FileMD5Text(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  MD5 md5;
  char chunk[1024];
  ssize_t n;
  while ((n = ::read(fd, chunk, sizeof chunk)) > 0) md5.Update(chunk, static_cast<std::size_t>(n));
  ::close(fd);
  if (n < 0) return std::nullopt;
  return DigestText(md5.Final());
}

}  // namespace codec
