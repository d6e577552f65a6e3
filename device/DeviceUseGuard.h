#pragma once
// One procedure at a time uses the adapter. A procedure takes the adapter before its first
// SDK call and holds it until its last; another procedure asked for meanwhile is refused,
// or waits where its caller can afford to. The SDK's handle and the device object's blocks
// are shared state, so two procedures that interleave their calls would read each other's
// answers or close the handle under each other.
//
// Other processes (the program, orbmanager-cli, the tools) are kept out by the adapter's
// lock file (AdapterLock) once the guard knows where it is.
//
// A holding can be shared with the threads that finish a procedure's work (the timed wait
// after a reset, the firmware job's worker); the adapter is free again when the last share
// has gone.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace device {

class DeviceUseGuard;
struct DeviceUseState;  // who holds the adapter, shared by the guard and its holdings

// A holding of the adapter; empty when it was refused. Copies share the holding.
class DeviceUse {
 public:
  DeviceUse() = default;
  explicit operator bool() const { return holding_ != nullptr; }
  // Gives up this share (the holding ends with its last share).
  void Release() { holding_.reset(); }
  // The procedure that took the adapter; empty for an empty use.
  std::string procedure() const;

 private:
  friend class DeviceUseGuard;
  struct Holding;
  explicit DeviceUse(std::shared_ptr<Holding> holding) : holding_(std::move(holding)) {}
  std::shared_ptr<Holding> holding_;
};

class DeviceUseGuard {
 public:
  DeviceUseGuard();
  ~DeviceUseGuard();
  DeviceUseGuard(const DeviceUseGuard&) = delete;
  DeviceUseGuard& operator=(const DeviceUseGuard&) = delete;

  // Where the lock file of the current connection is, asked at each take (the connection
  // may change between two procedures); empty: this process only.
  void SetLockFile(std::function<std::string()> lockFile);

  // Takes the adapter for `procedure` (a phrase such as "the device reset") when nobody
  // holds it; otherwise an empty use.
  DeviceUse TryTake(const std::string& procedure);
  // Waits up to `timeoutMs` of program time for the adapter (negative: without limit) in
  // this process, then up to `otherProcessWaitMs` for another process to free it. Refused:
  // an empty use, and `refusedBy` (when given) names the holder's procedure if known.
  DeviceUse Take(const std::string& procedure, std::int64_t timeoutMs,
                 std::int64_t otherProcessWaitMs = 0, std::string* refusedBy = nullptr);

  bool busy() const;
  // The procedure that holds the adapter; empty when it is free.
  std::string holder() const;

 private:
  // Holdings keep the state alive, so a share may outlive the guard.
  std::shared_ptr<DeviceUseState> state_;
};

}  // namespace device
