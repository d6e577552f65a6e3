#pragma once
// The adapter's text console (TCP port 6822): Telnet option negotiation, then the prompt
// "->" and two commands: "showshortport" lists the forwarded ports and who is connected on
// them, "disconnect 6820" drops the connection on port 6820.
#include <mutex>
#include <string>

#include "sim/vci/SimRecord.h"

namespace vcisim {

class ConsoleService {
 public:
  // `client`: the address:port connected on port 6820, empty when none.
  ConsoleService(std::string client, bool noPrompt, SimRecord& record)
      : client_(std::move(client)), noPrompt_(noPrompt), record_(record) {}

  void Serve(int fd);

 private:
  std::string Listing();
  std::string Answer(const std::string& line);

  std::mutex mutex_;
  std::string client_;
  const bool noPrompt_;
  SimRecord& record_;
};

}  // namespace vcisim
