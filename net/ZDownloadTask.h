#pragma once
// One queued download, created by the requester and destroyed by its observer after the
// finished event. The observer judges the result by `succeeded`, the file and its own checks.
#include <cstdint>
#include <string>

namespace net {

class ZDownloadFileServiceNotify;

struct ZDownloadTask {
  bool fileOpen = false;       // true while the download writes its file
  std::uint32_t received = 0;  // bytes written so far
  std::string name;            // what is downloaded, for display
  std::string url;
  std::string path;            // target file
  std::uint32_t size = 0;      // expected size from the catalogue, for percentages
  ZDownloadFileServiceNotify* notify = nullptr;  // not owned, may be null
  bool succeeded = false;      // set before the finished event
  std::string reason;          // why it failed, for the log
};

}  // namespace net
