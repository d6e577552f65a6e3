#include "device/DeviceUseGuard.h"

#include <condition_variable>
#include <mutex>

#include "platform/Clock.h"

namespace device {

struct DeviceUseState {
  std::mutex mutex;
  std::condition_variable freed;
  std::string holder;
  bool held = false;
};

struct DeviceUse::Holding {
  Holding(std::shared_ptr<DeviceUseState> s, std::string p)
      : state(std::move(s)), procedure(std::move(p)) {}
  ~Holding() {
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
};

std::string DeviceUse::procedure() const { return holding_ ? holding_->procedure : std::string(); }

DeviceUseGuard::DeviceUseGuard() : state_(std::make_shared<DeviceUseState>()) {}
DeviceUseGuard::~DeviceUseGuard() = default;

DeviceUse DeviceUseGuard::TryTake(const std::string& procedure) { return Take(procedure, 0); }

DeviceUse DeviceUseGuard::Take(const std::string& procedure, std::int64_t timeoutMs) {
  std::unique_lock<std::mutex> lock(state_->mutex);
  const auto isFree = [this] { return !state_->held; };
  if (timeoutMs < 0) {
    state_->freed.wait(lock, isFree);
  } else if (!isFree()) {
    if (timeoutMs == 0) return {};
    if (!state_->freed.wait_for(lock, platform::TheClock().ToReal(timeoutMs), isFree)) return {};
  }
  state_->held = true;
  state_->holder = procedure;
  return DeviceUse(std::make_shared<DeviceUse::Holding>(state_, procedure));
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
