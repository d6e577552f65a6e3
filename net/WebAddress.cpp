#include "net/WebAddress.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace net {
namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

bool IsBlankOrControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte == 0x7F;
}

bool AllDigits(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The host of an authority ("user@host:port", "[::1]:80"), or empty when the port is not
// a number.
std::string HostOf(std::string authority) {
  const std::size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  std::size_t hostEnd = authority.size();
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string::npos) return {};
    hostEnd = close + 1;
  } else {
    hostEnd = std::min(hostEnd, authority.find(':'));
  }
  if (hostEnd < authority.size()) {
    if (authority[hostEnd] != ':' || !AllDigits(authority.substr(hostEnd + 1))) return {};
  }
  return authority.substr(0, hostEnd);
}

}  // namespace

bool IsWebAddress(const std::string& url) {
  std::size_t rest = 0;
  if (StartsWithNoCase(url, "http://"))
    rest = 7;
  else if (StartsWithNoCase(url, "https://"))
    rest = 8;
  else
    return false;
  if (std::any_of(url.begin(), url.end(), IsBlankOrControl)) return false;
  const std::size_t end = std::min(url.size(), url.find_first_of("/?#", rest));
  const std::string host = HostOf(url.substr(rest, end - rest));
  return !host.empty() && host != "[]";
}

}  // namespace net
