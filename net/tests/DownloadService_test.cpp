// The download queue: order of tasks and events, failures, and stopping.
#include <gtest/gtest.h>

#include <mutex>

#include "core/ZConfig.h"
#include "net/ZDownloadFileService.h"
#include "net/ZDownloadFileServiceNotify.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ServedFolder;
using testing_support::TempFolder;

// Records each task's events as "name:0 name:1... name:2", one "name:1" for a run of
// progress events, whose values must grow; `last` is the value of the last progress event.
class Recorder : public net::ZDownloadFileServiceNotify {
 public:
  void OnNotify(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string seen = task->name + ":" + std::to_string(event);
    if (event == 1) {
      EXPECT_GT(value, last_);
      last_ = value;
    } else {
      last_ = 0;
    }
    if (event != 1 || summary_.empty() || summary_.back() != seen) summary_.push_back(seen);
    if (event == 1) lastProgress = value;
    finished_ += event == kFinished;
  }
  std::vector<std::string> WaitFor(int count) {
    for (int i = 0; i < 20000 && finished() < count; ++i) platform::SleepMs(1);
    std::lock_guard<std::mutex> lock(mutex_);
    return summary_;
  }
  std::atomic<std::uint32_t> lastProgress{0};

 private:
  int finished() {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
  }
  std::mutex mutex_;
  std::vector<std::string> summary_;
  std::uint32_t last_ = 0;
  int finished_ = 0;
};

class DownloadServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(web.started()); }
  net::ZDownloadTask Task(const std::string& name, const std::string& path) {
    net::ZDownloadTask t;
    t.name = name;
    t.url = web.Url(path);
    t.path = local / name;
    t.notify = &recorder;
    return t;
  }
  ServedFolder web{"127.0.0.41"};
  TempFolder local;
  Recorder recorder;
};

TEST_F(DownloadServiceTest, TwoQueuedTasksRunInOrderAfterOneWakeUp) {
  web.Put("a.exe", std::string(300000, 'a'));
  web.Put("b.exe", std::string(200000, 'b'));
  net::ZDownloadTask a = Task("a", "/a.exe");
  net::ZDownloadTask b = Task("b", "/b.exe");
  net::ZDownloadFileService service{""};
  service.AddTask(&a);
  service.AddTask(&b);
  EXPECT_EQ(service.wakeSignals(), 1) << "the second task is found by the running loop";
  ASSERT_TRUE(service.Start());
  const auto summary = recorder.WaitFor(2);
  service.Stop();
  EXPECT_EQ(summary, (std::vector<std::string>{"a:0", "a:1", "a:2", "b:0", "b:1", "b:2"}));
  EXPECT_EQ(recorder.lastProgress, 200000u) << "last progress = size";
  EXPECT_TRUE(a.succeeded && b.succeeded && a.received == 300000u);
  EXPECT_EQ(platform::FileSize(local / "b").value_or(0), 200000u);
}

TEST_F(DownloadServiceTest, AFailedTaskEndsWithItsFinishedEventAndKeepsTheOldFile) {
  web.Put("cut.exe", std::string(500000, 'c'));
  web.server().SetFault("/cut.exe", {sim::FaultKind::Cut});
  web.server().SetFault("/gone.exe", {sim::FaultKind::NotFound});
  net::ZDownloadTask cut = Task("cut", "/cut.exe");
  net::ZDownloadTask gone = Task("gone", "/gone.exe");
  for (const char* kept : {"cut", "gone"}) local.Put(kept, "old installer");
  net::ZDownloadFileService service{""};
  ASSERT_TRUE(service.Start());
  service.AddTask(&cut);
  service.AddTask(&gone);
  const auto summary = recorder.WaitFor(2);
  service.Stop();
  EXPECT_EQ(summary.front(), "cut:0");
  EXPECT_EQ(summary.back(), "gone:2");
  EXPECT_FALSE(cut.succeeded || gone.succeeded);
  for (const char* kept : {"cut", "gone"})
    EXPECT_EQ(platform::ReadFile(local / kept).value_or(""), "old installer");
}

TEST_F(DownloadServiceTest, StoppingAnIdleServiceWakesItsThread) {
  net::ZDownloadFileService service{""};
  ASSERT_TRUE(service.Start());
  service.Stop();  // would wait for ever if the wake event were not signalled
  EXPECT_EQ(service.state(), core::ZThread::kFinished);
}

}  // namespace
