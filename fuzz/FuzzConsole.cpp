// The adapter console's byte stream: negotiation, text, prompts.
#include <cstddef>
#include <cstdint>

#include "device/AdapterConsole.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  device::ConsoleReplyParser parser;
  for (std::size_t i = 0; i < size && !parser.complete() && !parser.overflowed(); ++i) {
    const std::string answer = parser.Feed(data[i]);
    if (answer.size() > 12) __builtin_trap();
  }
  if (parser.reply().size() >= device::ConsoleReplyParser::kReplyBuffer) __builtin_trap();
  (void)device::JudgeConsoleReply(parser.reply());
  return 0;
}
