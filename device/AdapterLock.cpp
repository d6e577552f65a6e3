#include "device/AdapterLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "platform/Clock.h"
#include "platform/Files.h"

namespace device {
namespace {

constexpr int kPollMs = 20;
constexpr std::size_t kPhraseLimit = 200;

// KRY.ini is the user's to edit: an address never makes the name leave the folder.
std::string FileNamePart(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == ':';
    out += plain ? c : '_';
  }
  return out.substr(0, 100);
}

// What another process wrote, as one short line of plain text.
std::string ReadPhrase(int fd) {
  char buffer[kPhraseLimit];
  const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
  std::string phrase;
  for (ssize_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(buffer[i]);
    if (c == '\n' || c == '\0') break;
    if (c >= 0x20 && c != 0x7F) phrase += static_cast<char>(c);
  }
  return phrase;
}

}  // namespace

std::string AdapterLockPath(const std::string& kryIniPath, const core::CommRecord& record) {
  const bool serial = record.Type == core::kCommFtdiUsb || record.Type == core::kCommSerial ||
                      record.Type == core::kCommBluetooth;
  std::string name = "adapter-" + std::to_string(record.Type) + "-";
  name += serial ? std::to_string(record.Port)
                 : FileNamePart(record.IPAddr) + ":" + std::to_string(record.Port);
  return platform::JoinPath(platform::FolderOf(kryIniPath), name + ".lock");
}

std::string CurrentAdapterLockPath() {
  core::ZCommSettings comm;
  comm.Load();
  return AdapterLockPath(comm.path(), comm.current());
}

std::string AdapterBusyText(const std::string& holder) {
  return core::TextWith(core::TextId::kAdapterBusy,
                        holder.empty() ? core::Text(core::TextId::kAnotherProcedure) : holder);
}

AdapterLock::~AdapterLock() { Release(); }

AdapterLock& AdapterLock::operator=(AdapterLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = other.fd_;
    unguarded_ = other.unguarded_;
    other.fd_ = -1;
    other.unguarded_ = false;
  }
  return *this;
}

void AdapterLock::Release() {
  unguarded_ = false;
  if (fd_ < 0) return;
  // The phrase goes before the lock, so nobody reads a finished procedure as the holder.
  if (::ftruncate(fd_, 0) != 0) LOG_WARN("Cannot clear the adapter lock file.");
  ::close(fd_);  // ends the flock
  fd_ = -1;
}

AdapterLock AdapterLock::Take(const std::string& path, const std::string& procedure,
                              std::int64_t waitMs, std::string* holder) {
  AdapterLock lock;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    LOG_WARN("Cannot open the adapter lock file {0} (errno {1}); other programs are not kept out.",
             path, errno);
    lock.unguarded_ = true;
    return lock;
  }
  const std::int64_t deadline = platform::TheClock().NowMs() + (waitMs > 0 ? waitMs : 0);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      LOG_WARN("Cannot lock {0} (errno {1}); other programs are not kept out.", path, errno);
      ::close(fd);
      lock.unguarded_ = true;
      return lock;
    }
    if (platform::TheClock().NowMs() >= deadline) {
      if (holder) *holder = ReadPhrase(fd);
      ::close(fd);
      return lock;
    }
    platform::SleepMs(kPollMs);
  }
  const std::string phrase = procedure.substr(0, kPhraseLimit - 1) + "\n";
  if (::ftruncate(fd, 0) != 0 ||
      ::pwrite(fd, phrase.data(), phrase.size(), 0) != static_cast<ssize_t>(phrase.size()))
    LOG_WARN("Cannot write the procedure into {0}.", path);
  lock.fd_ = fd;
  return lock;
}

}  // namespace device
