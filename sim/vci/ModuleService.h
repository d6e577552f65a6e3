#pragma once
// The DoIP module's command service (WebSocket, port 7890): JSON text messages "exec-cmd"
// (run a command line, reply with its output as text frames, nothing for no output) and
// "put-file" (reply with one text frame, then take the announced number of bytes as binary
// frames and store them). Built on Boost.Beast, independently of the program's own client.
#include "sim/vci/ModuleShell.h"
#include "sim/vci/SimRecord.h"
#include "sim/vci/VciProfile.h"

namespace vcisim {

class ModuleService {
 public:
  ModuleService(ModuleShell& shell, const Faults& faults, SimRecord& record)
      : shell_(shell), faults_(faults), record_(record) {}

  // Serves one connection until the client leaves or the module leaves the network.
  void Serve(int fd);

 private:
  ModuleShell& shell_;
  const Faults faults_;
  SimRecord& record_;
};

}  // namespace vcisim
