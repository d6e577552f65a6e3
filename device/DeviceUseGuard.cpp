#include "device/DeviceUseGuard.h"

#include <condition_variable>
#include <mutex>

#include "device/AdapterLock.h"
#include "platform/Clock.h"

namespace device {

struct DeviceUseState {
  std::mutex mutex;
  std::condition_variable freed;
  std::string holder;
  bool held = false;
  std::function<std::string()> lockFile;
};

struct DeviceUse::Holding {
  Holding(std::shared_ptr<DeviceUseState> s, std::string p)
      : state(std::move(s)), procedure(std::move(p)) {}
  ~Holding() {
    otherProcesses.Release();
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      state->held = false;
      state->holder.clear();
    }
    state->freed.notify_all();
  }
  Holding(const Holding&) = delete;
  Holding& operator=(const Holding&) = delete;

  std::shared_ptr<DeviceUseState> state;
  std::string procedure;
  AdapterLock otherProcesses;
};

std::string DeviceUse::procedure() const { return holding_ ? holding_->procedure : std::string(); }

DeviceUseGuard::DeviceUseGuard() : state_(std::make_shared<DeviceUseState>()) {}
DeviceUseGuard::~DeviceUseGuard() = default;

void DeviceUseGuard::SetLockFile(std::function<std::string()> lockFile) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->lockFile = std::move(lockFile);
}

DeviceUse DeviceUseGuard::TryTake(const std::string& procedure) { return Take(procedure, 0); }

DeviceUse DeviceUseGuard::Take(const std::string& procedure, std::int64_t timeoutMs,
                               std::int64_t otherProcessWaitMs, std::string* refusedBy) {
  std::function<std::string()> lockFile;
  std::shared_ptr<DeviceUse::Holding> holding;
  {
    std::unique_lock<std::mutex> lock(state_->mutex);
    const auto isFree = [this] { return !state_->held; };
    if (timeoutMs < 0)
      state_->freed.wait(lock, isFree);
    else if (timeoutMs > 0)
      state_->freed.wait_for(lock, platform::TheClock().ToReal(timeoutMs), isFree);
    if (!isFree()) {
      if (refusedBy) *refusedBy = state_->holder;
      return {};
    }
    state_->held = true;
    state_->holder = procedure;
    lockFile = state_->lockFile;
    holding = std::make_shared<DeviceUse::Holding>(state_, procedure);
  }
  // Outside the mutex: waiting for another process must not keep holder() and busy() waiting.
  const std::string path = lockFile ? lockFile() : std::string();
  if (path.empty()) return DeviceUse(std::move(holding));
  std::string other;
  holding->otherProcesses = AdapterLock::Take(path, procedure, otherProcessWaitMs, &other);
  if (!holding->otherProcesses) {
    if (refusedBy) *refusedBy = other;
    return {};  // the holding ends here and frees the adapter in this process again
  }
  return DeviceUse(std::move(holding));
}

bool DeviceUseGuard::busy() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->held;
}

std::string DeviceUseGuard::holder() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->holder;
}

}  // namespace device
