#pragma once
// Holds one command channel to the DoIP module: a WebSocket context and its connection.
#include "firmware/WebSocket.h"

namespace firmware {

class ZWSDevice {
 public:
  ZWSDevice() = default;
  ZWSDevice(const ZWSDevice&) = delete;
  ZWSDevice& operator=(const ZWSDevice&) = delete;
  // Closes the channel when there is one.
  virtual ~ZWSDevice();

  // Closes the connection and frees the context; both are none afterwards.
  virtual void CloseChannel();
  bool HasChannel() const { return context_ && conn_; }
  // Whether the module answered the channel's opening handshake (commands sent before that
  // get no reply).
  bool ChannelAccepted() const { return conn_ && conn_->handshakeComplete; }

 protected:
  ws_context* context_ = nullptr;
  ws_conn* conn_ = nullptr;
};

}  // namespace firmware
