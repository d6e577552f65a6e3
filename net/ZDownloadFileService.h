#pragma once
// The background download queue: one worker thread takes tasks oldest first and performs
// them one at a time, reporting to each task's observer. AddTask may be called from any
// thread; the lock is never held while a transfer runs.
#include <atomic>
#include <string>
#include <vector>

#include "core/ZLock.h"
#include "core/ZThread.h"
#include "net/ZDownloadTask.h"
#include "platform/Event.h"

namespace net {

class ZDownloadFileService : public core::ZThread {
 public:
  // Every download is checked against `caBundle` (see TransferOptions).
  explicit ZDownloadFileService(std::string caBundle);
  ~ZDownloadFileService() override;  // stops the thread; queued tasks are not owned

  void AddTask(ZDownloadTask* task);
  // Performs one task on the calling thread.
  void Download(ZDownloadTask* task);
  // Asks the thread to end after its current task and waits for it. The stop flag is only
  // looked at after a wake-up, so this signals the wake event too.
  void Stop();

  // How often AddTask signalled the wake event (once per empty-to-one change).
  int wakeSignals() const { return wakeSignals_.load(); }

 protected:
  void Run(void* argument) override;

 private:
  const std::string caBundle_;
  core::ZLock lock_;
  std::vector<ZDownloadTask*> queue_;
  platform::Event wake_{true, false};
  std::atomic<int> wakeSignals_{0};
};

}  // namespace net
