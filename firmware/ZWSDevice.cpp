#include "firmware/ZWSDevice.h"

namespace firmware {

ZWSDevice::~ZWSDevice() { ZWSDevice::CloseChannel(); }

void ZWSDevice::CloseChannel() {
  if (conn_) conn_close(conn_);
  if (context_) ws_context_free(context_);
  conn_ = nullptr;
  context_ = nullptr;
}

}  // namespace firmware
