#pragma once
// The adapter's text console on TCP port 6822, which lists and drops the connections on
// its forwarded ports. The dialogue asks for the listing and drops a connection on port
// 6820 that blocks the adapter.
#include <cstdint>
#include <string>

namespace device {

enum ConsoleResult : int {
  kConsoleNoReply = 0,  // no usable reply
  kConsoleNothingToDrop = 1,
  kConsoleDropSent = 2,  // a connection was found and the drop request was sent
};

struct ConsoleOptions {
  int port = 6822;
  // The whole dialogue ends with no usable reply after this long (program time), so an
  // adapter that never prompts cannot hang the caller.
  std::int64_t overallTimeoutMs = 10000;
};

// Runs the dialogue against the adapter's dotted IPv4 address.
ConsoleResult RunConsoleDialogue(const std::string& address, const ConsoleOptions& options = {});

// What the dialogue decides from a complete reply (exposed for tests and fuzzing).
ConsoleResult JudgeConsoleReply(const std::string& reply);

// The console's byte stream, one byte at a time: option negotiation is answered, text is
// kept until the second "->" prompt, never beyond the reply buffer.
class ConsoleReplyParser {
 public:
  static constexpr std::size_t kReplyBuffer = 4096;

  // Takes one received byte; returns the bytes to send back (a negotiation answer) or none.
  std::string Feed(unsigned char byte);
  bool complete() const { return prompts_ >= 2; }
  bool overflowed() const { return overflowed_; }
  const std::string& reply() const { return reply_; }

 private:
  std::string reply_;
  int prompts_ = 0;
  bool overflowed_ = false;
  int pending_ = 0;  // bytes of an IAC command still to come
  unsigned char command_ = 0;
};

}  // namespace device
