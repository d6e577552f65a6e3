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

struct Seen {
  std::string task;
  std::uint32_t event;
  std::uint32_t value;
};

class Recorder : public net::ZDownloadFileServiceNotify {
 public:
  void OnNotify(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back({task->name, event, value});
    if (event == kFinished) ++finished_;
  }
  std::vector<Seen> seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }
  int finished() {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
  }
  void WaitFor(int count) {
    for (int i = 0; i < 20000 && finished() < count; ++i) platform::SleepMs(1);
  }

 private:
  std::mutex mutex_;
  std::vector<Seen> seen_;
  int finished_ = 0;
};

// Collapses each task's events to "name:0 name:1... name:2" and checks the progress values
// grow up to the body size.
std::vector<std::string> Summary(const std::vector<Seen>& seen) {
  std::vector<std::string> out;
  std::uint32_t last = 0;
  for (const auto& s : seen) {
    if (s.event == 1) {
      EXPECT_GT(s.value, last);
      last = s.value;
      if (!out.empty() && out.back() == s.task + ":1") continue;
    } else {
      last = 0;
    }
    out.push_back(s.task + ":" + std::to_string(s.event));
  }
  return out;
}

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
  recorder.WaitFor(2);
  service.Stop();

  EXPECT_EQ(Summary(recorder.seen()),
            (std::vector<std::string>{"a:0", "a:1", "a:2", "b:0", "b:1", "b:2"}));
  EXPECT_EQ(recorder.seen()[recorder.seen().size() - 2].value, 200000u) << "last progress = size";
  EXPECT_TRUE(a.succeeded && b.succeeded);
  EXPECT_EQ(a.received, 300000u);
  EXPECT_EQ(platform::FileSize(local / "b").value_or(0), 200000u);
}

TEST_F(DownloadServiceTest, AFailedTaskEndsWithItsFinishedEventAndKeepsTheOldFile) {
  web.Put("cut.exe", std::string(500000, 'c'));
  web.server().SetFault("/cut.exe", {sim::FaultKind::Cut});
  web.server().SetFault("/gone.exe", {sim::FaultKind::NotFound});
  net::ZDownloadTask cut = Task("cut", "/cut.exe");
  net::ZDownloadTask gone = Task("gone", "/gone.exe");
  local.Put("cut", "old installer");
  local.Put("gone", "old installer");
  net::ZDownloadFileService service{""};
  ASSERT_TRUE(service.Start());
  service.AddTask(&cut);
  service.AddTask(&gone);
  recorder.WaitFor(2);
  service.Stop();

  const auto summary = Summary(recorder.seen());
  EXPECT_EQ(summary.front(), "cut:0");
  EXPECT_EQ(summary.back(), "gone:2");
  EXPECT_FALSE(cut.succeeded);
  EXPECT_FALSE(gone.succeeded);
  EXPECT_EQ(platform::ReadFile(local / "cut").value_or(""), "old installer");
  EXPECT_EQ(platform::ReadFile(local / "gone").value_or(""), "old installer");
}

TEST_F(DownloadServiceTest, StoppingAnIdleServiceWakesItsThread) {
  net::ZDownloadFileService service{""};
  ASSERT_TRUE(service.Start());
  service.Stop();  // would wait for ever if the wake event were not signalled
  EXPECT_EQ(service.state(), core::ZThread::kFinished);
}

}  // namespace
