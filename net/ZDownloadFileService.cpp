#include "net/ZDownloadFileService.h"

#include <utility>

#include "core/Log.h"
#include "net/CurlTransfer.h"
#include "net/ResumableDownload.h"
#include "net/ZDownloadFileServiceNotify.h"

namespace net {

ZDownloadFileService::ZDownloadFileService(std::string caBundle) : caBundle_(std::move(caBundle)) {}

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
  task->arrived = {};
  task->fileOpen = true;
  if (notify) notify->OnNotify(task, ZDownloadFileServiceNotify::kStarted, 0);

  ResumableRequest request;
  request.url = task->url;
  request.path = task->path;
  // The announced size bounds the transfer: a longer body is cut at once, never written out.
  request.options = AnnouncedSizeTransfer(task->size, caBundle_);
  request.options.cancel = task->cancel;
  request.sha256 = task->withSha256;
  request.progress = [&](std::uint64_t held) {
    task->received = static_cast<std::uint32_t>(held);
    if (notify) notify->OnNotify(task, ZDownloadFileServiceNotify::kProgress, task->received);
  };
  ResumableResult result;
  result.cancelled = task->cancel && task->cancel->load();  // cancelled while queued
  result.reason = "cancelled";
  if (!result.cancelled) result = DownloadResumable(request);
  task->fileOpen = false;
  task->cancelled = result.cancelled;
  task->succeeded = result.ok;
  task->arrived = result.digests;
  if (!task->succeeded) task->reason = result.reason;
  if (notify) notify->OnNotify(task, ZDownloadFileServiceNotify::kFinished, 0);
}

}  // namespace net
