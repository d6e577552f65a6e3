#pragma once
// The JSON text messages of the DoIP module's command service. The texts are fixed byte for
// byte, spacing included; the values are escaped for JSON (the program's own commands hold
// no quote or backslash, so their messages are unchanged by it).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace firmware {

// Room the service's messages are formatted into, terminator included.
constexpr std::size_t kExecCmdCapacity = 1024;
constexpr std::size_t kPutFileCapacity = 131072;

std::string JsonEscaped(std::string_view text);
// { "cmd":"exec-cmd", "idx":"0", "command":"..."}; none when it does not fit.
std::optional<std::string> ExecCmdMessage(std::string_view command);
// { "cmd":"put-file", "idx":"0", "size":"...","file":"..."}; none when it does not fit.
std::optional<std::string> PutFileMessage(std::uint64_t size, std::string_view modulePath);

}  // namespace firmware
