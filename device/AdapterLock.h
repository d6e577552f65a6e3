#pragma once
// The adapter across processes: the program, orbmanager-cli and the tools each drive the
// adapter through their own copy of the SDK, so one procedure at a time needs a lock that
// other processes see. It is an advisory lock (flock) on one file per adapter connection,
// beside the SDK's KRY.ini; the holder writes its procedure phrase into the file so that a
// refused process can say who is busy. The lock goes with the holder's process, also when
// it is killed, so a stale file never keeps the adapter.
#include <cstdint>
#include <string>

#include "core/ZCommSettings.h"

namespace device {

// The lock file for the connection of `record`: the serial types (FTDI, serial port,
// Bluetooth) are named by their port, the others by address and port.
std::string AdapterLockPath(const std::string& kryIniPath, const core::CommRecord& record);

// The lock file of the connection KRY.ini names now (its default place).
std::string CurrentAdapterLockPath();

// "The adapter is busy with ...": what a refused procedure tells the user.
std::string AdapterBusyText(const std::string& holder);

class AdapterLock {
 public:
  AdapterLock() = default;
  ~AdapterLock();
  AdapterLock(AdapterLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  AdapterLock& operator=(AdapterLock&& other) noexcept;
  AdapterLock(const AdapterLock&) = delete;
  AdapterLock& operator=(const AdapterLock&) = delete;

  // Takes the lock at `path` for `procedure`, trying for up to `waitMs` of program time.
  // Refused: an empty lock, and `holder` (when given) gets the phrase the holder wrote
  // (empty when it wrote none). A lock file that cannot be opened refuses nobody: the
  // adapter is then as unguarded across processes as it always was.
  static AdapterLock Take(const std::string& path, const std::string& procedure,
                          std::int64_t waitMs, std::string* holder = nullptr);

  explicit operator bool() const { return fd_ >= 0 || unguarded_; }
  void Release();

 private:
  int fd_ = -1;
  bool unguarded_ = false;
};

}  // namespace device
