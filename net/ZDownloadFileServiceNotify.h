#pragma once
// The observer of the download service. Events: 0 the transfer starts (value 0); 1 progress
// (value = bytes received so far); 2 the transfer finished, whatever the outcome (value 0).
// Calls come on the service's thread.
#include <cstdint>

namespace net {

struct ZDownloadTask;

class ZDownloadFileServiceNotify {
 public:
  enum Event : std::uint32_t { kStarted = 0, kProgress = 1, kFinished = 2 };
  virtual ~ZDownloadFileServiceNotify() = default;
  virtual void OnNotify(ZDownloadTask* task, std::uint32_t event, std::uint32_t value) = 0;
};

}  // namespace net
