#include "device/AdapterConsole.h"

#include <arpa/inet.h>
#include <poll.h>

#include "platform/TcpSocket.h"

namespace device {
namespace {

constexpr unsigned char kIac = 0xFF, kDo = 0xFD, kWill = 0xFB, kWont = 0xFC, kWindowSize = 0x1F;
constexpr char kRequest[] = "showshortport\r\n";
constexpr char kDrop[] = "disconnect 6820\r\n";

// What has arrived, up to `size` bytes; false when the connection ended or the deadline came
// first. The deadline is asked on every call: a console that never stops talking is cut off
// like a silent one.
bool ReadSome(platform::TcpSocket& socket, unsigned char* data, std::size_t size,
              std::size_t* received, const platform::Deadline& deadline) {
  while (!deadline.Passed()) {
    const auto io = socket.Receive(data, size, received);
    if (io == platform::TcpSocket::Io::Done) return true;
    if (io == platform::TcpSocket::Io::Closed || !socket.Wait(POLLIN, deadline)) return false;
  }
  return false;
}

}  // namespace

std::string ConsoleReplyParser::Feed(unsigned char byte) {
  if (pending_ == 2) {
    command_ = byte;
    pending_ = 1;
    return {};
  }
  if (pending_ == 1) {
    pending_ = 0;
    const unsigned char option = byte;
    if (command_ == kDo && option == kWindowSize) {
      const unsigned char answer[] = {kIac, kWill, kWindowSize, kIac, 0xFA, kWindowSize,
                                      0x00, 0x50,  0x00,        0x18, kIac, 0xF0};
      return std::string(reinterpret_cast<const char*>(answer), sizeof answer);
    }
    // DO becomes WON'T and WILL becomes DO, in both bytes as the console expects.
    const auto swap = [](unsigned char b) -> unsigned char {
      return b == kDo ? kWont : (b == kWill ? kDo : b);
    };
    const unsigned char answer[] = {kIac, swap(command_), swap(option)};
    return std::string(reinterpret_cast<const char*>(answer), sizeof answer);
  }
  if (byte == kIac) {
    pending_ = 2;
    return {};
  }
  if (reply_.size() >= kReplyBuffer - 1) {
    overflowed_ = true;
    return {};
  }
  reply_.push_back(static_cast<char>(byte));
  if (byte == '>' && reply_.size() >= 2 && reply_[reply_.size() - 2] == '-') ++prompts_;
  return {};
}

ConsoleResult JudgeConsoleReply(const std::string& reply) {
  const auto cr = reply.find('\r');
  if (cr == std::string::npos) return kConsoleNoReply;
  const std::string rest = reply.substr(cr + 1);
  if (rest.find("unconnected") != std::string::npos) return kConsoleNothingToDrop;
  if (rest.find("192.168.8") != std::string::npos) return kConsoleDropSent;
  return kConsoleNothingToDrop;
}

ConsoleResult RunConsoleDialogue(const std::string& address, const ConsoleOptions& options) {
  // One deadline for the whole dialogue, sends included: a console that floods option
  // requests and never reads our answers cannot hold the caller either.
  const auto deadline = platform::Deadline::After(options.overallTimeoutMs);
  in_addr dotted{};
  if (::inet_pton(AF_INET, address.c_str(), &dotted) != 1) return kConsoleNoReply;
  const auto endpoint = platform::ResolveIPv4(address, std::to_string(options.port));
  platform::TcpSocket socket;
  if (!endpoint || !socket.StartConnect(*endpoint) || !socket.FinishConnect(deadline))
    return kConsoleNoReply;
  if (!socket.SendAll(kRequest, sizeof kRequest - 1, deadline)) return kConsoleNoReply;

  // The stream is taken as it comes and its bytes fed one by one; the negotiation answers
  // to what arrived together go out together.
  ConsoleReplyParser parser;
  unsigned char chunk[ConsoleReplyParser::kReplyBuffer];
  while (!parser.complete()) {
    std::size_t received = 0;
    if (!ReadSome(socket, chunk, sizeof chunk, &received, deadline)) return kConsoleNoReply;
    std::string answers;
    for (std::size_t i = 0; i < received && !parser.complete(); ++i) {
      answers += parser.Feed(chunk[i]);
      if (parser.overflowed()) return kConsoleNoReply;
    }
    if (!answers.empty() && !socket.SendAll(answers.data(), answers.size(), deadline))
      return kConsoleNoReply;
  }
  const ConsoleResult result = JudgeConsoleReply(parser.reply());
  if (result == kConsoleDropSent) socket.SendAll(kDrop, sizeof kDrop - 1, deadline);
  return result;
}

}  // namespace device
