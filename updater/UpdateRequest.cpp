#include "updater/UpdateRequest.h"

#include <cctype>

#include "net/CurlTransfer.h"

namespace updater {
namespace {

bool IsDecimal(const std::string& text) {
  if (text.empty() || text.size() > 19) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

bool IsHexText(const std::string& text, std::size_t digits) {
  if (text.size() != digits) return false;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::optional<UpdateRequest> Refuse(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return std::nullopt;
}

}  // namespace

std::optional<UpdateRequest> ParseUpdateRequest(const std::vector<std::string>& fields,
                                                std::string* reason) {
  // The sixth, the SHA-256, comes only from a version file that gives one.
  if (fields.size() != 5 && fields.size() != 6)
    return Refuse(reason,
                  "expected 5 or 6 fields (own version, new version, address, size, MD5, SHA-256), "
                  "got " +
                      std::to_string(fields.size()));
  UpdateRequest request{fields[0], fields[1], fields[2],
                        0,         fields[4], fields.size() == 6 ? fields[5] : ""};
  if (request.newVersion.empty()) return Refuse(reason, "the new version is empty");
  std::string why;
  if (!net::IsDownloadAddress(request.url, &why))
    return Refuse(reason, "the address " + request.url + " is refused: " + why);
  // The program writes the size with "%d": a negative or zero size names no package.
  if (!IsDecimal(fields[3]) || (request.size = std::stoull(fields[3])) == 0)
    return Refuse(reason, "the size " + fields[3] + " is not a positive number of bytes");
  if (!IsHexText(request.md5, 32))
    return Refuse(reason, "the MD5 " + request.md5 + " is not 32 hexadecimal digits");
  if (fields.size() == 6 && !IsHexText(request.sha256, 64))
    return Refuse(reason, "the SHA-256 " + request.sha256 + " is not 64 hexadecimal digits");
  return request;
}

}  // namespace updater
