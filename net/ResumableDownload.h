#pragma once
// Downloads of large files (firmware images, installers) that survive a cut connection or a
// killed process: the transfer writes straight into NAME.resume, and NAME.resume.info keeps
// the address and the server's validator (ETag, else Last-Modified) from the moment the
// headers arrive. The next transfer of the same address to the same file asks only for the
// rest (Range with If-Range) and appends it; a full answer, a changed validator or a server
// without one starts over. Only a complete file becomes NAME. The digests are computed while
// the bytes arrive (a resumed transfer hashes its kept share once first).
#include <cstdint>
#include <functional>
#include <string>

#include "net/ArrivingDigests.h"
#include "net/CurlTransfer.h"

namespace net {

// A kept share older than this is not resumed (and start-up removes it).
constexpr std::int64_t kResumeLifetimeSeconds = 7L * 24 * 60 * 60;

struct ResumableRequest {
  std::string url;
  std::string path;
  // maxBytes bounds the whole file (the announced size); cancel stops and keeps nothing.
  TransferOptions options;
  bool sha256 = false;  // compute the SHA-256 too
  // Told the bytes the file holds after each piece, counting the resumed share.
  std::function<void(std::uint64_t held)> progress;
};

struct ResumableResult : TransferResult {
  FileDigests digests;            // of the whole file, when ok
  std::uint64_t resumedFrom = 0;  // bytes kept from an earlier transfer and not fetched again
};

ResumableResult DownloadResumable(const ResumableRequest& request);

// The files a resumable download of `path` keeps between runs.
std::string ResumePath(const std::string& path);
std::string ResumeInfoPath(const std::string& path);

// Removes the kept shares in `folder` older than kResumeLifetimeSeconds that no transfer
// holds; returns how many files went.
int RemoveExpiredResumeFiles(const std::string& folder);

}  // namespace net
