// Runs every GUI test class under one QApplication.
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/Log.h"
#include "core/ZConfig.h"
#include "platform/Files.h"
#include "ui/PaintManager.h"
#include "ui/tests/UiTestSupport.h"

// What UITEST_RUNNER defines for each test class.
using Runner = int(int argc, char** argv);
Runner RunWindowTests, RunPageTests, RunDeviceInfoPageTests, RunFirmwareWindowTests,
    RunLinkPageTests, RunAppTests, RunContrastTests;

namespace uitest {
namespace fs = std::filesystem;

const std::string& Root() {
  static const std::string root = [] {
    const fs::path dir = fs::temp_directory_path() / ("orb-ui-test-" + std::to_string(::getpid()));
    for (const char* folder : {"Config", "Language", "kry", "Download"})
      fs::create_directories(dir / folder);
    // Offline start-up needs the kept application catalogue; an empty one will do.
    std::ofstream(dir / "Download" / "APPS.xml") << "<APPS><CLASS /><APP /></APPS>\n";
    for (const char* f : {"Language/EN.xml", "Language/CS.xml", "Config/DeviceList.xml"})
      fs::copy_file(fs::path(ORB_SOURCE_DIR) / f, dir / f, fs::copy_options::overwrite_existing);
    return dir.string();
  }();
  return root;
}

std::string KryIni() { return Root() + "/kry/KRY.ini"; }

void WriteConfig(const std::string& configLines) {
  std::ofstream(Root() + "/Config/KavoraC.ini")
      << "[CONFIG]\nManagerTittle=OrbManager\nManagerVersion=1.0.0\n"
      << configLines << "\n";
  core::ZConfig::Instance() = core::ZConfig();
  core::ZConfig::Instance().LoadFrom(Root());
}

void UseSkin(const char* language) {
  ui::PaintManager::SetResourcePath(QString::fromLocal8Bit(std::getenv("ORB_SKIN_DIR")) + "/" +
                                    language);
}

void Click(QWidget* window, const QString& control) {
  QWidget* target = nullptr;
  for (QWidget* w : window->findChildren<QWidget*>(control))
    if (ui::ControlOf(w)) target = w;
  QVERIFY2(target, qPrintable("no control " + control));
  QTest::mouseClick(target, Qt::LeftButton);
}

std::string OpenedAddresses() {
  QStringList lines =
      QString::fromStdString(platform::ReadFile(Root() + "/opened.txt").value_or(""))
          .split('\n', Qt::SkipEmptyParts);
  lines.sort();
  return lines.join('\n').toStdString();
}

void ForgetOpenedAddresses() { fs::remove(Root() + "/opened.txt"); }

void WhenShown(const QString& windowName, const std::function<void(QWidget*)>& action) {
  auto* timer = new QTimer;
  timer->setInterval(2);
  QObject::connect(timer, &QTimer::timeout, [timer, windowName, action] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() != windowName || !w->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      return action(w);
    }
  });
  timer->start();
}

}  // namespace uitest

int main(int argc, char** argv) {
  ::setenv("XDG_CONFIG_HOME", uitest::Root().c_str(), 1);  // %windir% is <root>/kry
  // No test opens a real browser: the opener only notes the address.
  const std::string opener = uitest::Root() + "/opener";
  std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << uitest::Root() << "/opened.txt'\n";
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  ::setenv("ORB_OPEN_COMMAND", opener.c_str(), 1);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  core::SetUpLog(uitest::Root() + "/Kavora.log");
  uitest::UseSkin("EN");
  int failures = 0;
  for (auto run : {RunWindowTests, RunPageTests, RunDeviceInfoPageTests, RunFirmwareWindowTests,
                   RunLinkPageTests, RunAppTests, RunContrastTests})
    failures += run(argc, argv);
  return failures == 0 ? 0 : 1;
}
