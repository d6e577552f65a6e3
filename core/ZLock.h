#pragma once
#include <mutex>

namespace core {

// The lock that guards data shared between the download service and the windows.
class ZLock {
 public:
  virtual ~ZLock() = default;
  void Lock() { mutex_.lock(); }
  void Unlock() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;  // a critical section may be entered again by its owner
};

class ZScopedLock {
 public:
  explicit ZScopedLock(ZLock* lock) : lock_(lock) {
    if (lock_) lock_->Lock();
  }
  ~ZScopedLock() {
    if (lock_) lock_->Unlock();
  }
  ZScopedLock(const ZScopedLock&) = delete;
  ZScopedLock& operator=(const ZScopedLock&) = delete;

 private:
  ZLock* lock_;
};

}  // namespace core
