#include "firmware/ModuleMessages.h"

#include <cstdio>

namespace firmware {

std::string JsonEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
          out += code;
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

std::optional<std::string> ExecCmdMessage(std::string_view command) {
  std::string text =
      R"({ "cmd":"exec-cmd", "idx":"0", "command":")" + JsonEscaped(command) + R"("})";
  if (text.size() >= kExecCmdCapacity) return std::nullopt;
  return text;
}

std::optional<std::string> PutFileMessage(std::uint64_t size, std::string_view modulePath) {
  std::string text = R"({ "cmd":"put-file", "idx":"0", "size":")" + std::to_string(size) +
                     R"(","file":")" + JsonEscaped(modulePath) + R"("})";
  if (text.size() >= kPutFileCapacity) return std::nullopt;
  return text;
}

}  // namespace firmware
