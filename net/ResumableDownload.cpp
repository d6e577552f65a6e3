#include "net/ResumableDownload.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/Log.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace net {
namespace {

constexpr std::size_t kHashPiece = 1024ul * 1024;

class LockedFile {
 public:
  explicit LockedFile(int fd) : fd_(fd) {}
  ~LockedFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

struct KeptShare {
  std::uint64_t size = 0;
  std::string validator;
};

bool Expired(const struct stat& st) {
  return std::time(nullptr) - st.st_mtime > kResumeLifetimeSeconds;
}

// What an earlier transfer of the same address left, when it can be continued.
KeptShare FindKeptShare(int fd, const std::string& info, const std::string& url,
                        std::uint64_t bound) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_size <= 0 || Expired(st)) return {};
  const std::string text = platform::ReadFile(info).value_or("");
  const std::size_t newline = text.find('\n');
  if (newline == std::string::npos || text.substr(0, newline) != url) return {};
  KeptShare kept;
  kept.size = static_cast<std::uint64_t>(st.st_size);
  kept.validator = platform::Trim(text.substr(newline + 1));
  if (kept.validator.empty() || (bound > 0 && kept.size > bound)) return {};
  return kept;
}

bool HashKeptShare(int fd, std::uint64_t size, ArrivingDigests& digests) {
  std::vector<char> piece(kHashPiece);
  for (std::uint64_t at = 0; at < size;) {
    const ssize_t n = ::pread(fd, piece.data(), std::min<std::uint64_t>(kHashPiece, size - at),
                              static_cast<off_t>(at));
    if (n <= 0) return false;
    digests.Add(piece.data(), static_cast<std::size_t>(n));
    at += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool WriteAt(int fd, const char* data, std::size_t size, std::uint64_t at) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(at));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    at += static_cast<std::uint64_t>(n);
  }
  return true;
}

// A weak ETag cannot stand in If-Range; Last-Modified then serves.
std::string ValidatorOf(const ResponseStart& start) {
  if (!start.etag.empty() && start.etag.rfind("W/", 0) != 0) return start.etag;
  return start.lastModified;
}

bool RangeStartsAt(const std::string& contentRange, std::uint64_t at) {
  const std::string prefix = "bytes " + std::to_string(at) + "-";
  return contentRange.rfind(prefix, 0) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string ResumePath(const std::string& path) { return path + ".resume"; }
std::string ResumeInfoPath(const std::string& path) { return path + ".resume.info"; }

ResumableResult DownloadResumable(const ResumableRequest& request) {
  ResumableResult result;
  LOG_INFO("Download file: {0}.", request.url);
  if (!IsDownloadAddress(request.url, &result.reason)) {
    LOG_ERROR("Refused to download {0}: {1}.", request.url, result.reason);
    return result;
  }
  const std::string resume = ResumePath(request.path);
  const std::string info = ResumeInfoPath(request.path);
  LockedFile file(::open(resume.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (file.fd() < 0) {
    LOG_ERROR("Failed create new file.");
    result.reason = "cannot create " + resume;
    return result;
  }
  if (::flock(file.fd(), LOCK_EX | LOCK_NB) != 0) {
    result.reason = request.path + " is being downloaded by another program";
    LOG_ERROR("Failed to download {0}: {1}.", request.url, result.reason);
    return result;
  }
  const int fd = file.fd();
  const std::uint64_t bound = request.options.maxBytes;
  ArrivingDigests digests(request.sha256);
  KeptShare kept = FindKeptShare(fd, info, request.url, bound);
  if (kept.size > 0 && !HashKeptShare(fd, kept.size, digests)) {
    kept = {};
    digests.Restart();
  }
  if (kept.size == 0 && ::ftruncate(fd, 0) != 0) {
    result.reason = "cannot write " + resume;
    return result;
  }

  std::uint64_t held = kept.size;
  bool discard = false;  // nothing of this transfer is worth keeping for the next one
  bool tooLarge = false;
  TransferOptions options = request.options;
  options.maxBytes = kept.size > 0 ? 0 : bound;  // a resumed answer is judged by the sink
  options.rangeFrom = kept.size;
  options.ifRange = kept.validator;
  options.onResponse = [&](const ResponseStart& start) {
    if (start.status >= 400) {
      discard = start.status == 416;  // the kept share no longer fits the file
      return false;
    }
    if (start.status == 206 && !RangeStartsAt(start.contentRange, held)) {
      discard = true;
      return false;
    }
    if (start.status != 206 && held > 0) {  // the whole file again: start over
      held = 0;
      digests.Restart();
      if (::ftruncate(fd, 0) != 0) return false;
    }
    result.resumedFrom = held;
    const std::string validator = ValidatorOf(start);
    if (validator.empty())
      platform::DeleteFile(info);
    else if (!platform::WriteFile(info, request.url + "\n" + validator + "\n"))
      LOG_WARN("Cannot note how to resume {0}.", request.path);
    if (request.progress && held > 0) request.progress(held);
    return true;
  };
  const TransferResult transfer = RunTransfer(
      request.url,
      [&](const char* data, std::size_t size) {
        if (bound > 0 && held + size > bound) {
          tooLarge = true;
          return false;
        }
        if (!WriteAt(fd, data, size, held)) return false;
        digests.Add(data, size);
        held += size;
        if (request.progress) request.progress(held);
        return true;
      },
      options);
  static_cast<TransferResult&>(result) = transfer;
  if (tooLarge) result.reason = "more than the " + std::to_string(bound) + " bytes expected";
  if (!result.ok && result.status >= 400)
    result.reason = "server answered " + std::to_string(result.status);

  if (result.ok) {
    result.digests = digests.Finish();
    // Renamed while still locked, so no other transfer ever appends to a finished file.
    if (std::rename(resume.c_str(), request.path.c_str()) != 0) {
      result.ok = false;
      result.reason = "cannot put the file in place at " + request.path;
      discard = true;
    } else {
      platform::DeleteFile(info);
    }
  }
  if (!result.ok) {
    // A cancelled or oversized transfer, and one without a validator, cannot be continued.
    if (discard || tooLarge || transfer.cancelled || !platform::FileExists(info)) {
      ::unlink(resume.c_str());
      platform::DeleteFile(info);
    }
    LOG_ERROR("Failed to download {0}: {1}.", request.url, result.reason);
  }
  return result;
}

int RemoveExpiredResumeFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  ::closedir(dir);
  int removed = 0;
  for (const std::string& name : names) {
    if (!EndsWith(name, ".resume")) continue;
    const std::string path = folder + "/" + name;
    LockedFile file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.fd() < 0 || ::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode) || !Expired(st) ||
        ::flock(file.fd(), LOCK_EX | LOCK_NB) != 0)
      continue;
    if (::unlink(path.c_str()) == 0) ++removed;
    if (platform::DeleteFile(path + ".info")) ++removed;
  }
  return removed;
}

}  // namespace net
