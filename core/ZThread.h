#pragma once
// Base of every worker thread. State: 0 never started, 1 created suspended, 2 running,
// 3 finished. The stop flag is set by another thread to ask the thread to end; `Run` looks
// at it where its work allows.
#include <atomic>
#include <cstdint>
#include <thread>

namespace core {

class ZThread {
 public:
  enum State : int { kNeverStarted = 0, kSuspended = 1, kRunning = 2, kFinished = 3 };

  ZThread() = default;
  virtual ~ZThread();
  ZThread(const ZThread&) = delete;
  ZThread& operator=(const ZThread&) = delete;

  // Starts the thread when none runs; returns false when one already exists.
  bool Start(void* argument = nullptr);
  // Sets the stop flag, then waits in 5 ms polls until the thread has finished.
  void StopAndWait();
  // Waits in 5 ms polls until the thread has finished, without asking it to stop.
  void Wait();

  int state() const { return state_.load(); }
  bool stopRequested() const { return stop_.load(); }
  void RequestStop() { stop_.store(true); }

 protected:
  virtual void Run(void* argument) = 0;
  virtual void OnExit() {}

 private:
  void ThreadMain();

  void* argument_ = nullptr;
  std::thread thread_;
  std::atomic<int> state_{kNeverStarted};
  std::atomic<bool> stop_{false};
};

}  // namespace core
