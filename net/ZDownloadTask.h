#pragma once
// One queued download, created by the requester and destroyed by its observer after the
// finished event. The observer judges the result by `succeeded`, the file and its own checks.
#include <atomic>
#include <cstdint>
#include <string>

namespace net {

class ZDownloadFileServiceNotify;

struct ZDownloadTask {
  bool fileOpen = false;       // true while the download writes its file
  std::uint32_t received = 0;  // bytes written so far
  std::string name;            // what is downloaded, for display
  std::string url;
  std::string path;        // target file
  std::uint32_t size = 0;  // expected size from the catalogue: percentages and a bound
  ZDownloadFileServiceNotify* notify = nullptr;  // not owned, may be null
  const std::atomic<bool>* cancel = nullptr;     // set by the requester to stop; not owned
  bool succeeded = false;                        // set before the finished event
  bool cancelled = false;  // set before the finished event; nothing is kept then
  std::string reason;      // why it failed, for the log
};

}  // namespace net
