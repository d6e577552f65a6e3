#include "net/PartFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace net {

PartFile::PartFile(std::string target) : target_(std::move(target)) {}

PartFile::~PartFile() { Discard(); }

bool PartFile::Open() {
  Discard();
  std::vector<char> name(target_.begin(), target_.end());
  const std::string suffix = ".part-XXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) return false;
  part_ = name.data();
  // mkstemp makes the file private; a downloaded file gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
  return true;
}

bool PartFile::Write(const char* data, std::size_t size) {
  if (fd_ < 0) return false;
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool PartFile::Commit() {
  if (fd_ < 0) return false;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!closed || std::rename(part_.c_str(), target_.c_str()) != 0) {
    ::unlink(part_.c_str());
    part_.clear();
    return false;
  }
  part_.clear();
  return true;
}

void PartFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!part_.empty()) {
    ::unlink(part_.c_str());
    part_.clear();
  }
}

}  // namespace net
