#include "platform/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"

namespace platform {
namespace {

bool Fail(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
  return false;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

bool WriteAllAt(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, std::string& bytes) {
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

// Control characters that no text file holds; tab, line breaks, form feed and the old
// end-of-file mark (Ctrl-Z) do occur in hand-edited files.
bool IsBinaryUnit(unsigned unit) {
  return unit < 0x20 && unit != '\t' && unit != '\n' && unit != '\v' && unit != '\f' &&
         unit != '\r' && unit != 0x1A;
}

bool LooksBinary(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const unsigned unit = static_cast<unsigned char>(bytes[i]) |
                            (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
      if (IsBinaryUnit(unit)) return true;
    }
    return false;
  }
  for (const char c : bytes)
    if (IsBinaryUnit(static_cast<unsigned char>(c))) return true;
  return false;
}

// A new file, made where none is (`flags` without O_EXCL to create a link's missing target).
bool MakeNewFile(const std::string& path, const std::string& bytes, int flags,
                 std::string* reason) {
  const Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666));
  if (!fd.valid()) return Fail(reason, SystemError("cannot create it"));
  if (WriteAllAt(fd.get(), bytes) && ::fsync(fd.get()) == 0) return true;
  const std::string why = SystemError("cannot write it");
  ::unlink(path.c_str());
  return Fail(reason, why);
}

void SyncFolder(const std::string& folder) {
  const Descriptor fd(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());
}

enum class Beside { Replaced, Failed, NotPossible };

// Writes the new content beside `target` with its owner and mode and renames it over it.
Beside ReplaceBeside(const std::string& target, const std::string& bytes, const struct stat& old,
                     std::string* reason) {
  std::string temp = target + ".XXXXXX";
  const Descriptor fd(::mkstemp(temp.data()));
  if (!fd.valid()) return Beside::NotPossible;  // the folder takes no new file
  const auto discard = [&](Beside result) {
    ::unlink(temp.c_str());
    return result;
  };
  if (!WriteAllAt(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
    Fail(reason, SystemError("cannot write beside it"));
    return discard(Beside::Failed);
  }
  struct stat now {};
  if (::fstat(fd.get(), &now) != 0) return discard(Beside::NotPossible);
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      ::fchown(fd.get(), old.st_uid, old.st_gid) != 0)
    return discard(Beside::NotPossible);
  if (::fchmod(fd.get(), old.st_mode & 07777) != 0) return discard(Beside::NotPossible);
  // A file that is a mount point (a bound-in settings file) cannot be renamed over.
  if (::rename(temp.c_str(), target.c_str()) != 0) return discard(Beside::NotPossible);
  SyncFolder(FolderOf(target));
  return Beside::Replaced;
}

bool RewriteInPlace(int fd, const std::string& bytes, std::string* reason) {
  std::string old;
  if (::lseek(fd, 0, SEEK_SET) != 0 || !ReadAll(fd, old))
    return Fail(reason, SystemError("cannot read it"));
  if (WriteAllAt(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
      ::fsync(fd) == 0)
    return true;
  const std::string why = SystemError("cannot rewrite it");
  // Puts back what was there: a half-written settings file would lose every key after the cut.
  if (WriteAllAt(fd, old)) {
    if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0) ::fsync(fd);
  }
  return Fail(reason, why);
}

}  // namespace

std::optional<SettingsFileContent> ReadSettingsFile(const std::string& path, std::string* reason) {
  // Not blocking: a pipe put in the file's place must not hold the program.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) return SettingsFileContent{};
    Fail(reason, SystemError("cannot open it"));
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    Fail(reason, SystemError("cannot examine it"));
    return std::nullopt;
  }
  if (S_ISDIR(st.st_mode)) {
    Fail(reason, "it is a folder");
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode)) {
    Fail(reason, "it is not a regular file");
    return std::nullopt;
  }
  SettingsFileContent content;
  content.exists = true;
  if (!ReadAll(fd.get(), content.bytes)) {
    Fail(reason, SystemError("cannot read it"));
    return std::nullopt;
  }
  if (LooksBinary(content.bytes)) {
    Fail(reason, "it holds binary data, not text");
    return std::nullopt;
  }
  return content;
}

bool RewriteSettingsFile(const std::string& path, const std::string& bytes, std::string* reason) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0) {
    if (errno == ENOENT) return MakeNewFile(path, bytes, O_EXCL, reason);
    return Fail(reason, SystemError("cannot examine it"));
  }
  std::string target = path;
  if (S_ISLNK(link.st_mode)) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) {
      if (errno == ENOENT) return MakeNewFile(path, bytes, 0, reason);  // through the link
      return Fail(reason, SystemError("cannot follow its link"));
    }
    target = resolved;
  }
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return Fail(reason, SystemError("cannot examine it"));
  if (!S_ISREG(st.st_mode)) return Fail(reason, "it is not a regular file");
  // The kernel lets root write anything; the read-only mark must hold for root too.
  if ((st.st_mode & 0222) == 0) return Fail(reason, "it is read-only");
  const Descriptor fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return Fail(reason, SystemError("it cannot be opened for writing"));

  const uid_t user = ::geteuid();
  // A renamed-in file would lose another owner or split a hard link from its twins.
  if ((st.st_uid == user || user == 0) && st.st_nlink == 1) {
    switch (ReplaceBeside(target, bytes, st, reason)) {
      case Beside::Replaced:
        return true;
      case Beside::Failed:
        return false;
      case Beside::NotPossible:
        break;
    }
  }
  return RewriteInPlace(fd.get(), bytes, reason);
}

}  // namespace platform
