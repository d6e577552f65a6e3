#include "codec/Base64.h"

#include <cctype>
#include <cstring>

namespace codec {

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

namespace {

int ValueOf(char c) {
  const char* p = std::strchr(kBase64Alphabet, c);
  return (p && c) ? static_cast<int>(p - kBase64Alphabet) : 0;
}

bool Accepted(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/';
}

}  // namespace

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  int group[4];
  int count = 0;
  for (char c : text) {
    if (c == '=' || !Accepted(c)) break;
    group[count++] = ValueOf(c);
    if (count == 4) {
      out.push_back(static_cast<char>(group[0] << 2 | group[1] >> 4));
      out.push_back(static_cast<char>((group[1] & 15) << 4 | group[2] >> 2));
      out.push_back(static_cast<char>((group[2] & 3) << 6 | group[3]));
      count = 0;
    }
  }
  if (count > 0) {
    for (int i = count; i < 4; ++i) group[i] = 0;
    const char bytes[3] = {static_cast<char>(group[0] << 2 | group[1] >> 4),
                           static_cast<char>((group[1] & 15) << 4 | group[2] >> 2),
                           static_cast<char>((group[2] & 3) << 6 | group[3])};
    out.append(bytes, static_cast<std::size_t>(count - 1));
  }
  return out;
}

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
    out.push_back(kBase64Alphabet[v >> 18 & 63]);
    out.push_back(kBase64Alphabet[v >> 12 & 63]);
    out.push_back(kBase64Alphabet[v >> 6 & 63]);
    out.push_back(kBase64Alphabet[v & 63]);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 1) {
    const unsigned v = at(i) << 16;
    out.push_back(kBase64Alphabet[v >> 18 & 63]);
    out.push_back(kBase64Alphabet[v >> 12 & 63]);
    out += "==";
  } else if (rest == 2) {
    const unsigned v = at(i) << 16 | at(i + 1) << 8;
    out.push_back(kBase64Alphabet[v >> 18 & 63]);
    out.push_back(kBase64Alphabet[v >> 12 & 63]);
    out.push_back(kBase64Alphabet[v >> 6 & 63]);
    out.push_back('=');
  }
  return out;
}

bool IsCanonicalBase64(std::string_view text) { return Base64Encode(Base64Decode(text)) == text; }

}  // namespace codec
