#include "net/PartFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace net {

const char kPartFileMarker[] = ".part-";

namespace {

bool SameFile(int fd, const std::string& path) {
  struct stat open {
  }, named{};
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

PartFile::PartFile(std::string target) : target_(std::move(target)) {}

PartFile::~PartFile() { Discard(); }

bool PartFile::Open() {
  Discard();
  // Between creating and locking, another process's clean-up may take the new file for a
  // leftover and remove it: then the name no longer leads to it, and a new one is made.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::vector<char> name(target_.begin(), target_.end());
    const std::string suffix = std::string(kPartFileMarker) + "XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, name.data())) {
      fd_ = fd;
      part_ = name.data();
      // mkstemp makes the file private; a downloaded file gets the usual permissions.
      const mode_t mask = ::umask(0);
      ::umask(mask);
      ::fchmod(fd_, 0666 & ~mask);
      return true;
    }
    ::close(fd);
  }
  return false;
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
  // Renamed while still locked: once the lock is gone, the name is no longer a part file's.
  const bool renamed = std::rename(part_.c_str(), target_.c_str()) == 0;
  if (!renamed) ::unlink(part_.c_str());
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  part_.clear();
  return renamed && closed;
}

void PartFile::Discard() {
  if (!part_.empty()) {
    ::unlink(part_.c_str());
    part_.clear();
  }
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

int RemoveLeftoverPartFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (!std::strstr(entry->d_name, kPartFileMarker)) continue;
    const std::string path = folder + "/" + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // A writer holds its lock until the file is renamed or removed; an unlocked one is left.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        SameFile(fd, path) && ::unlink(path.c_str()) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

}  // namespace net
