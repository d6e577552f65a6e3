#include "sim/vci/ConsoleService.h"

#include <sys/socket.h>

#include <cstdio>

#include "platform/Text.h"
#include "sdk/LinkSocket.h"

namespace vcisim {
namespace {

constexpr unsigned char kIac = 0xFF, kSb = 0xFA, kSe = 0xF0;
constexpr unsigned char kWill = 0xFB, kWont = 0xFC, kDo = 0xFD;
constexpr unsigned char kNaws = 0x1F, kSuppressGoAhead = 0x03;
constexpr std::size_t kMaxLine = 1024;

const char* VerbName(unsigned char verb) {
  switch (verb) {
    case kWill:
      return "WILL";
    case kWont:
      return "WONT";
    case kDo:
      return "DO";
    default:
      return "DONT";
  }
}

}  // namespace

std::string ConsoleService::Listing() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string text = "\r\nPort   State        Peer\r\n";
  text += client_.empty() ? "6820   unconnected  -\r\n" : "6820   connected    " + client_ + "\r\n";
  text += "13400  listening    -\r\n";
  return text;
}

std::string ConsoleService::Answer(const std::string& line) {
  std::string prompt = noPrompt_ ? "" : "->";
  if (line.empty()) return prompt;
  record_.Add("console: " + line);
  if (line == "showshortport") return Listing() + prompt;
  if (line == "disconnect 6820") {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string was = client_;
    client_.clear();
    record_.Add(was.empty() ? "console: port 6820 was free"
                            : "console: dropped " + was + " on port 6820");
    return "\r\n6820 disconnected\r\n" + prompt;
  }
  return "\r\nunknown command: " + line + "\r\n" + prompt;
}

void ConsoleService::Serve(int fd) {
  const unsigned char offer[] = {kIac, kDo, kNaws, kIac, kWill, kSuppressGoAhead};
  std::string greeting(reinterpret_cast<const char*>(offer), sizeof offer);
  greeting += noPrompt_ ? "\r\nVCI console\r\n" : "\r\nVCI console\r\n->";
  if (!kry_link::SendAll(fd, greeting.data(), greeting.size())) return;
  record_.Add("console: client connected");
  std::string line;
  unsigned char c = 0;
  auto next = [&](unsigned char& b) { return kry_link::ReceiveExact(fd, &b, 1, -1); };
  while (next(c)) {
    if (c == kIac) {
      unsigned char verb = 0, option = 0;
      if (!next(verb)) break;
      if (verb == kSb) {
        std::string sub;
        unsigned char b = 0, previous = 0;
        while (next(b) && !(previous == kIac && b == kSe) && sub.size() < 64) {
          sub.push_back(static_cast<char>(b));
          previous = b;
        }
        if (sub.size() >= 5 && static_cast<unsigned char>(sub[0]) == kNaws) {
          const auto u = [&](int i) {
            return static_cast<unsigned char>(sub[static_cast<std::size_t>(i)]);
          };
          record_.Add("console: window size " + std::to_string(u(1) << 8 | u(2)) + "x" +
                      std::to_string(u(3) << 8 | u(4)));
        }
        continue;
      }
      if (verb < kWill || verb == kIac || !next(option)) continue;
      record_.Add(std::string("console: telnet ") + VerbName(verb) + " " + std::to_string(option));
      continue;
    }
    if (c == '\n' || line.size() >= kMaxLine) {
      const std::string reply = Answer(platform::Trim(line));
      line.clear();
      if (!kry_link::SendAll(fd, reply.data(), reply.size())) break;
    } else if (c != '\r' && c != 0) {
      line.push_back(static_cast<char>(c));
    }
  }
  record_.Add("console: client left");
}

}  // namespace vcisim
