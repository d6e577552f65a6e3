#include "sim/vci/SdkLink.h"

#include <atomic>
#include <string>

#include "sdk/LinkSocket.h"
#include "sim/vci/VciAdapter.h"

namespace vcisim {

void ServeSdkLink(VciAdapter& adapter, int fd) {
  static std::atomic<int> nextLink{1};
  const int link = nextLink++;
  std::uint8_t opcode = 0;
  std::string payload, reply;
  while (kry_link::ReadRequest(fd, opcode, payload)) {
    const std::int32_t result = adapter.Handle(link, opcode, payload, reply);
    if (!kry_link::SendReply(fd, result, reply)) break;
  }
  adapter.LinkClosed(link);
}

}  // namespace vcisim
