// The download queue: order of tasks and events, failures, and stopping.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "net/ZDownloadFileService.h"
#include "net/ZDownloadFileServiceNotify.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ServedFolder;
using testing_support::TempFolder;

// Records each task's events as "name:0 name:1... name:2", one "name:1" for a run of
// progress events, whose values must grow.
struct Recorder : net::ZDownloadFileServiceNotify {
  void OnNotify(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value) override {
    std::lock_guard<std::mutex> lock(mutex);
    const std::string seen = task->name + ":" + std::to_string(event);
    const bool again = !summary.empty() && summary.back() == seen;
    if (event == kProgress) {
      EXPECT_GT(value, again ? lastProgress.load() : 0u);
      lastProgress = value;
    }
    if (!again || event != kProgress) summary.push_back(seen);
    finished += event == kFinished;
  }
  std::vector<std::string> WaitFor(int count) {
    for (int i = 0; i < 20000 && finished < count; ++i) platform::SleepMs(1);
    std::lock_guard<std::mutex> lock(mutex);
    return summary;
  }
  std::mutex mutex;
  std::vector<std::string> summary;
  std::atomic<std::uint32_t> lastProgress{0};  // the value of the last progress event
  std::atomic<int> finished{0};
};

// Tasks queued before the start run in order after one wake-up, a failed one ends with its
// finished event and the queue goes on; stopping the then idle service must wake its thread.
TEST(DownloadService, QueuedTasksRunInOrderAndAFailureEndsWithItsFinishedEvent) {
  ServedFolder web{"127.0.0.41"};
  ASSERT_TRUE(web.started());
  web.Put("a.exe", std::string(300000, 'a'));
  web.Put("b.exe", std::string(200000, 'b'));
  web.server().SetFault("/gone.exe", {sim::FaultKind::NotFound});
  TempFolder local;
  Recorder recorder;
  net::ZDownloadTask a, gone, b;
  net::ZDownloadFileService service{""};
  for (auto [task, name] : {std::pair{&a, "a"}, {&gone, "gone"}, {&b, "b"}}) {
    task->name = name;
    task->url = web.Url("/" + task->name + ".exe");
    task->path = local / name;
    task->notify = &recorder;
    service.AddTask(task);
  }
  EXPECT_EQ(service.wakeSignals(), 1);  // the later tasks are found by the running loop
  ASSERT_TRUE(service.Start());
  EXPECT_EQ(recorder.WaitFor(3), (std::vector<std::string>{"a:0", "a:1", "a:2", "gone:0", "gone:2",
                                                           "b:0", "b:1", "b:2"}));
  service.Stop();
  EXPECT_EQ(recorder.lastProgress, 200000u);  // the last progress is the size
  EXPECT_TRUE(a.succeeded && !gone.succeeded && b.succeeded && a.received == 300000u);
  EXPECT_EQ(platform::FileSize(local / "b").value_or(0), 200000u);
}

}  // namespace
