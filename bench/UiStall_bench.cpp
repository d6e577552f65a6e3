// The longest stall of the UI thread while the device page runs a report, the firmware
// window runs a VCI write, and the download service fetches a large file, each beside its
// peer: the same main window doing nothing for as long. The program's main window is built
// from the real skins (offscreen) against vci-sim and the loopback file server, in real
// time. Prints one line per phase: `phase  longest-stall-ms  ticks  duration-ms`.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/ZCoreManager.h"
#include "codec/MD5.h"
#include "core/Log.h"
#include "core/ZConfig.h"
#include "firmware/FirmwareUpdateJob.h"
#include "net/ZDownloadFileService.h"
#include "net/ZDownloadFileServiceNotify.h"
#include "net/ZDownloadTask.h"
#include "platform/Files.h"
#include "sim/fileserver/FileServer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"
#include "ui/Control.h"
#include "ui/DeviceInfoWnd.h"
#include "ui/DeviceWnd.h"
#include "ui/GuiInteraction.h"
#include "ui/MainFrameWnd.h"
#include "ui/PaintManager.h"
#include "ui/UiThread.h"

namespace {

// Ticks every millisecond on the UI thread and keeps the longest gap between two ticks.
class StallMeter {
 public:
  StallMeter() {
    timer_.setInterval(1);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      if (last_ >= 0 && now - last_ > longest_) longest_ = now - last_;
      last_ = now;
      ++ticks_;
    });
  }
  void Begin() {
    longest_ = 0;
    ticks_ = 0;
    last_ = -1;
    clock_.start();
    timer_.start();
  }
  void End(const char* phase) {
    timer_.stop();
    std::printf("%-28s %8.1f ms %8ld ticks %8lld ms\n", phase, static_cast<double>(longest_) / 1e6,
                ticks_, static_cast<long long>(clock_.elapsed()));
    std::fflush(stdout);
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = -1, longest_ = 0;
  long ticks_ = 0;
};

// Runs the event loop for `ms` real milliseconds.
void Idle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Shows download progress on the main window's status, as the applications page does.
class Progress : public net::ZDownloadFileServiceNotify {
 public:
  void OnNotify(net::ZDownloadTask* task, std::uint32_t event, std::uint32_t value) override {
    if (event == kFinished) finished = true;
    if (event != kProgress) return;
    ui::PostToUi([value, size = task->size] {
      if (auto* frame = ui::MainFrameWnd::Instance())
        if (ui::Control* label = frame->FindControl("labelVersion"))
          label->SetText(QString::number(size ? 100.0 * value / size : 0, 'f', 1) + " %");
    });
  }
  std::atomic<bool> finished{false};
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  ::unsetenv("KAVORA_TIME_SCALE");
  testing_support::TempFolder root;
  ::setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
  ::unsetenv("SystemRoot");
  ::unsetenv("windir");
  for (const char* f : {"Config", "Language", "Download", "kry", "served"})
    platform::CreateFolders(root / f);
  platform::WriteFile(root / "Language/EN.xml",
                      platform::ReadFile(ORB_SOURCE_DIR "/Language/EN.xml").value_or("<lang/>"));
  platform::WriteFile(root / "Download/APPS.xml", "<APPS/>");
  const std::string sim = VCI_SIM_PATH;
  if (std::system((sim + " --make-vci-image " + (root / "Download/KRY.bin") +
                   " KRYVCI 2.0.0.0 2025-01-02 >/dev/null")
                      .c_str()) != 0)
    return 1;
  platform::WriteFile(root / "Download/fws.xml",
                      "<FWS><ITEM><ID>1</ID><PID>769</PID><NAME>VCI firmware</NAME><VERSION>2.0.0.0"
                      "</VERSION><MD5>" +
                          *codec::FileMD5Text(root / "Download/KRY.bin") +
                          "</MD5><URL>http://127.0.0.1:1/KRY.bin</URL></ITEM></FWS>");
  platform::WriteFile(root / "Config/KavoraC.ini", "[CONFIG]\nLANGUAGE=1\nOfflineMode=1\n");
  {
    std::ofstream big(root / "served/big.bin", std::ios::binary);
    std::string block(1 << 20, 'x');
    for (int i = 0; i < 256; ++i) big << block;
  }

  testing_support::VciSim adapter({"--firmware-write-ms", "4000"});
  if (!adapter.ok()) return 1;
  adapter.WriteKryIni(root / "kry/KRY.ini");
  sim::FileServerOptions options;
  options.folder = root / "served";
  options.address = "127.0.0.47";
  sim::FileServer server(options);
  if (!server.Start()) return 1;

  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  core::SetUpLog(root / "Kavora.log");
  core::ZConfig::Instance().LoadFrom(root.path());
  ui::PaintManager::SetResourcePath(ORB_SKIN_DIR "/EN");
  ui::GuiInteraction interaction;
  auto* frame = new ui::MainFrameWnd(interaction);
  frame->Create(nullptr, "OrbManager", false);
  frame->resize(960, 640);
  frame->show();
  if (!frame->initialised()) return 1;
  ui::DeviceInfoWnd* info = frame->devicePage()->infoPage();
  Idle(2500);  // past the automatic firmware check

  StallMeter meter;
  std::printf("%-28s %11s %14s %11s\n", "phase", "stall", "", "duration");
  meter.Begin();
  Idle(2000);
  meter.End("peer: idle main window");

  // Ten refreshes, one every 200 ms, each a full report on the UI thread.
  meter.Begin();
  for (int i = 0; i < 10; ++i) {
    QTimer::singleShot(0, info, [info] { info->UpdateDeviceInfo(); });
    Idle(200);
  }
  meter.End("device report x10");

  // The firmware window's job: the write runs on its worker, the window's loop turns.
  app::ZDeviceProcedures* procedures = frame->deviceProcedures();
  bool completed = false;
  procedures->SetFirmwareWindow([&](firmware::FirmwareJobSetup setup) {
    firmware::FirmwareUpdateJob job(std::move(setup));
    job.Start();
    job.SetTicks(true, false);
    if (!job.RequestUpdate()) return;
    meter.Begin();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!job.state().busy) loop.quit();
    });
    poll.start(10);
    loop.exec();
    meter.End("VCI firmware write");
    completed = job.state().lastRun.ok();
    job.RequestClose();
  });
  procedures->FirmwareUpdate();
  if (!completed) std::fprintf(stderr, "the firmware write did not complete\n");

  // 256 MiB through the download service with its progress on the main window.
  net::ZDownloadFileService service{""};
  service.Start();
  Progress progress;
  net::ZDownloadTask task;
  task.url = server.Url("/big.bin");
  task.path = root / "Download/big.bin";
  task.size = 256u << 20;
  task.notify = &progress;
  meter.Begin();
  service.AddTask(&task);
  while (!progress.finished) Idle(10);
  meter.End("download 256 MiB");
  service.Stop();
  if (!task.succeeded) std::fprintf(stderr, "the download failed: %s\n", task.reason.c_str());

  delete frame;
  return 0;
}
