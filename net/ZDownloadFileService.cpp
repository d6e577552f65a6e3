#include "net/ZDownloadFileService.h"

#include "core/Log.h"
#include "net/CurlTransfer.h"
#include "net/PartFile.h"
#include "net/ZDownloadFileServiceNotify.h"

namespace net {

ZDownloadFileService::ZDownloadFileService() = default;

ZDownloadFileService::~ZDownloadFileService() { Stop(); }

void ZDownloadFileService::AddTask(ZDownloadTask* task) {
  if (!task) return;
  core::ZScopedLock guard(&lock_);
  queue_.push_back(task);
  if (queue_.size() == 1) {
    ++wakeSignals_;
    wake_.Set();
  }
}

void ZDownloadFileService::Stop() {
  RequestStop();
  wake_.Set();
  StopAndWait();
}

void ZDownloadFileService::Run(void*) {
  while (!stopRequested()) {
    wake_.Wait();
    wake_.Reset();
    lock_.Lock();
    while (!queue_.empty() && !stopRequested()) {
      ZDownloadTask* task = queue_.front();
      queue_.erase(queue_.begin());
      lock_.Unlock();
      Download(task);
      lock_.Lock();
    }
    lock_.Unlock();
  }
}

void ZDownloadFileService::Download(ZDownloadTask* task) {
  ZDownloadFileServiceNotify* notify = task->notify;
  task->succeeded = false;
  task->cancelled = false;
  task->reason.clear();
  PartFile file(task->path);
  task->fileOpen = file.Open();
  if (!task->fileOpen) LOG_ERROR("Failed create new file.");
  if (notify) notify->OnNotify(task, ZDownloadFileServiceNotify::kStarted, 0);

  // The announced size bounds the transfer: a longer body is cut at once, never written out.
  TransferOptions options = AnnouncedSizeTransfer(task->size);
  options.cancel = task->cancel;
  TransferResult result;
  result.cancelled = task->cancel && task->cancel->load();  // cancelled while queued
  result.reason = "cancelled";
  if (!result.cancelled)
    result = RunTransfer(
        task->url,
        [&](const char* data, std::size_t size) {
          if (!file.Write(data, size)) return false;  // nothing written does not count
          task->received += static_cast<std::uint32_t>(size);
          if (notify) notify->OnNotify(task, ZDownloadFileServiceNotify::kProgress, task->received);
          return true;
        },
        options);
  task->cancelled = result.cancelled;
  task->succeeded = result.ok && file.Commit();
  task->fileOpen = false;
  if (!task->succeeded) {
    file.Discard();
    task->reason = result.ok ? "cannot put the file in place" : result.reason;
    LOG_ERROR("Failed to download {0}: {1}.", task->url, task->reason);
  }
  if (notify) notify->OnNotify(task, ZDownloadFileServiceNotify::kFinished, 0);
}

}  // namespace net
