// OrbUpdate: the program's updater. Started by OrbManager in its root folder with the five
// fields "OWN-VERSION NEW-VERSION URL SIZE MD5", it replaces the program files beside
// itself with the new version and starts OrbManager again; after any failure the old
// version is started, and OrbUpdate exits with 1.
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/ContinueLog.h"
#include "core/Log.h"
#include "core/ZConfig.h"
#include "history/UpdateHistory.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "updater/ProgramUpdate.h"
#include "updater/UpdateRecovery.h"
#include "updater/UpdateWindow.h"

namespace {

// How long the window shows a failure when nobody closes it.
constexpr std::int64_t kFailureShownMs = 15000;

int Milliseconds(std::int64_t ms) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(platform::TheClock().ToReal(ms))
          .count());
}

}  // namespace

int main(int argc, char** argv) {
  updater::RecoverInterruptedUpdateAtStart(argv);
  QApplication app(argc, argv);
  // Beside Kavora.log, which stays the program's own; kept across runs, so the lines of an
  // update that was cut short, and of its recovery, are still there to read.
  core::ContinueLog("OrbUpdate.log");
  const std::vector<std::string> fields(argv + 1, argv + argc);
  updater::UpdatePlaces places;
  places.programFolder = platform::ProgramFolder();
  places.rootFolder = platform::CurrentDirectory();
  core::ZConfig::Instance().LoadFrom(places.rootFolder);
  places.caBundle = core::ZConfig::Instance().HttpCacert;

  std::string reason;
  const auto request = updater::ParseUpdateRequest(fields, &reason);
  updater::UpdateWindow window(QString::fromStdString(request ? request->ownVersion : ""),
                               QString::fromStdString(request ? request->newVersion : "?"));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    window.move(screen->availableGeometry().center() - window.rect().center());
  window.show();

  bool updated = false;
  const auto finish = [&](bool ok, const std::string& why) {
    updated = ok;
    history::HistoryRecord run;
    run.what = history::kProgramUpdate;
    run.versionBefore = request ? request->ownVersion : "";
    run.versionAfter = ok ? request->newVersion : run.versionBefore;
    run.ok = ok;
    run.reason = why;
    history::ProgramHistory().Add(run);
    updater::StartInstalledProgram(places);  // the new version, or the old one again
    if (ok) {
      window.ShowSuccess();
      QTimer::singleShot(Milliseconds(1000), &app, &QApplication::quit);
      return;
    }
    window.ShowFailure(QString::fromStdString(why));
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    QTimer::singleShot(Milliseconds(kFailureShownMs), &app, &QApplication::quit);
  };

  std::thread worker;
  if (!request) {
    LOG_ERROR("Refused the update request: {0}.", reason);
    QTimer::singleShot(0, &app, [&] { finish(false, reason); });
  } else {
    worker = std::thread([&] {
      const updater::UpdateOutcome outcome =
          updater::RunUpdate(*request, places,
                             [&](updater::UpdateStage stage, std::uint64_t done,
                                 std::uint64_t total) { window.PostProgress(stage, done, total); });
      QMetaObject::invokeMethod(
          &app, [&, outcome] { finish(outcome.ok, outcome.reason); }, Qt::QueuedConnection);
    });
  }
  const int code = app.exec();
  if (worker.joinable()) worker.join();
  return code != 0 ? code : updated ? 0 : 1;
}
